#pragma once
// A uniform integer in lo..hi from a 32-bit generator, by one fixed mapping of the generator's
// output. The standard's distributions leave the mapping to each library, and the libraries
// differ: a seed named in a recording must give the same draws wherever it is replayed. The
// mapping is the nearly divisionless multiply-and-reject (Lemire 2019) exactly as the GNU
// library of the desktop build applies it to a 32-bit generator, so draws made before the
// device had its own mapping stay the same.
#include <cstdint>
#include <stdexcept>

namespace q50 {

template <class Generator>
std::int32_t uniform_draw(Generator& gen, std::int32_t lo, std::int32_t hi) {
    static_assert(Generator::min() == 0 && Generator::max() == 0xFFFFFFFFu,
                  "the mapping is defined for generators of 32 random bits");
    if (hi < lo) throw std::invalid_argument("uniform_draw: empty range");
    const std::uint32_t span = std::uint32_t(hi) - std::uint32_t(lo);
    // The whole 32-bit range takes one output as it is.
    if (span == 0xFFFFFFFFu) return std::int32_t(std::uint32_t(gen()) + std::uint32_t(lo));
    const std::uint32_t count = span + 1;
    std::uint64_t product = std::uint64_t(std::uint32_t(gen())) * count;
    std::uint32_t low = std::uint32_t(product);
    if (low < count) {
        // The outputs whose low word falls under 2^32 mod count would favour some values.
        const std::uint32_t threshold = (0u - count) % count;
        while (low < threshold) {
            product = std::uint64_t(std::uint32_t(gen())) * count;
            low = std::uint32_t(product);
        }
    }
    return std::int32_t(std::uint32_t(product >> 32) + std::uint32_t(lo));
}

} // namespace q50
