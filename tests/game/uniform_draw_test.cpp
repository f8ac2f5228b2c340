// The device's uniform draw is its own mapping of the generator's output, the same on every
// standard library: the values below were drawn with the GNU library's
// std::uniform_int_distribution<std::int32_t> from std::mt19937, which the device used before,
// so every seed named in a recording keeps giving the same draws.
#include "game/device_services.h"
#include "game/uniform_draw.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <deque>
#include <limits>
#include <random>
#include <stdexcept>

namespace q50::testing {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// A generator that counts the outputs it hands out.
struct CountingGenerator {
    using result_type = std::mt19937::result_type;
    static constexpr result_type min() { return std::mt19937::min(); }
    static constexpr result_type max() { return std::mt19937::max(); }
    explicit CountingGenerator(std::uint32_t seed) : gen(seed) {}
    result_type operator()() {
        ++calls;
        return gen();
    }
    std::mt19937 gen;
    int calls = 0;
};

// A generator that hands out the outputs it was given, to reach the rejection on purpose.
struct ListedGenerator {
    using result_type = std::uint32_t;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0xFFFFFFFFu; }
    result_type operator()() {
        const result_type v = outputs.front();
        outputs.pop_front();
        return v;
    }
    std::deque<result_type> outputs;
};

struct PinnedDraws {
    std::int32_t lo, hi;
    std::uint32_t seed;
    std::array<std::int32_t, 8> values;
    int generator_calls; // for the eight draws, rejected outputs included
};

// clang-format off
const PinnedDraws kPinned[] = {
    {1, 5, 1u, {3, 5, 4, 5, 1, 1, 2, 5}, 8},
    {1, 4, 1u, {2, 4, 3, 4, 1, 1, 2, 4}, 8},
    {0, 0, 1u, {0, 0, 0, 0, 0, 0, 0, 0}, 8},
    {7, 7, 1u, {7, 7, 7, 7, 7, 7, 7, 7}, 8},
    {kMin, kMin, 1u, {-2147483648, -2147483648, -2147483648, -2147483648, -2147483648, -2147483648, -2147483648, -2147483648}, 8},
    {kMax, kMax, 1u, {2147483647, 2147483647, 2147483647, 2147483647, 2147483647, 2147483647, 2147483647, 2147483647}, 8},
    {kMin, kMax, 1u, {-356387803, 2135392491, 946286476, 1857819720, -2146992385, -1597193335, -848975157, 2143362693}, 8},
    {0, 1, 1u, {0, 1, 1, 1, 0, 0, 0, 1}, 8},
    {-3, 3, 1u, {-1, 3, 2, 3, -3, -3, -1, 3}, 8},
    {0, kMax, 1u, {895547922, 2141438069, 1546885062, 2002651684, 245631, 275145156, 649254245, 2145423170}, 8},
    {kMin, 0, 1u, {-1251935726, -600598586, -144831964, -2147238017, -1872338492, -1498229403, -1832327769, -1295833024}, 12},
    {kMin, -1, 1u, {-1251935726, -6045579, -600598586, -144831964, -2147238017, -1872338492, -1498229403, -2060478}, 8},
    {0, 1 << 30, 1u, {447773961, 1070719035, 773442531, 1001325842, 122815, 137572578, 157577939, 425825312}, 12},
    {-1000000, 1000000, 1u, {-165956, 994370, 440649, 865115, -999772, -743751, -395335, 998082}, 8},
    {kMin, kMax - 1, 1u, {-356387804, 2135392490, 946286475, 1857819719, -2146992386, -1597193336, -848975158, 2143362692}, 8},
    {kMin + 1, kMax, 1u, {-356387803, 2135392491, 946286476, 1857819720, -2146992385, -1597193335, -848975157, 2143362693}, 8},
    {-(1 << 30), 1 << 30, 1u, {-178193902, 473143238, 928909860, -1073496193, -798596668, -424487579, -758585945, -222091200}, 12},
    {kMin, kMax / 2, 1u, {-804161765, 1064673456, -2147115201, -1734765914, -1173602280, 1070651107, -1674749829, -870007712}, 12},
    {1, 5, 20261210u, {2, 4, 2, 3, 3, 5, 4, 5}, 8},
    {1, 4, 20261210u, {1, 3, 2, 2, 3, 4, 3, 4}, 8},
    {0, 0, 20261210u, {0, 0, 0, 0, 0, 0, 0, 0}, 8},
    {7, 7, 20261210u, {7, 7, 7, 7, 7, 7, 7, 7}, 8},
    {kMin, kMin, 20261210u, {-2147483648, -2147483648, -2147483648, -2147483648, -2147483648, -2147483648, -2147483648, -2147483648}, 8},
    {kMax, kMax, 20261210u, {2147483647, 2147483647, 2147483647, 2147483647, 2147483647, 2147483647, 2147483647, 2147483647}, 8},
    {kMin, kMax, 20261210u, {-1106937399, 512299338, -961964693, -151199083, 394306962, 1737348078, 1016491467, 1821106369}, 8},
    {0, 1, 20261210u, {0, 1, 0, 0, 1, 1, 1, 1}, 8},
    {-3, 3, 20261210u, {-2, 1, -2, 0, 1, 3, 2, 3}, 8},
    {0, kMax, 20261210u, {520273124, 1329891493, 592759477, 998142282, 1270895305, 1942415863, 1581987557, 1984295008}, 8},
    {kMin, 0, 20261210u, {-1627210524, -817592155, -1554724171, -1149341366, -876588343, -205067785, -303631084, -1932598922}, 11},
    {kMin, -1, 20261210u, {-1627210524, -817592155, -1554724171, -1149341366, -876588343, -205067785, -565496091, -163188640}, 8},
    {0, 1 << 30, 20261210u, {260136562, 499071141, 971207932, 790993779, 869504473, 921926282, 107442363, 848192895}, 13},
    {-1000000, 1000000, 20261210u, {-515458, 238558, -447950, -70408, 183614, 809016, 473341, 848019}, 8},
    {kMin, kMax - 1, 20261210u, {-1106937400, 512299337, -961964694, -151199084, 394306961, 1737348077, 1016491466, 1821106368}, 8},
    {kMin + 1, kMax, 20261210u, {-1106937399, 512299338, -961964693, -151199083, 394306962, 1737348078, 1016491467, 1821106369}, 8},
    {-(1 << 30), 1 << 30, 20261210u, {-553468700, 256149669, -480982347, -75599542, 197153481, 868674039, 770110740, -858857098}, 11},
    {kMin, kMax / 2, 20261210u, {-1367073962, -152646409, -1258344432, -650270225, -241140691, 766140146, 225497688, 828958864}, 8},
};
// clang-format on

TEST(UniformDraw, GivesThePinnedValuesAndUsesThePinnedNumberOfOutputs) {
    for (const PinnedDraws& p : kPinned) {
        SCOPED_TRACE(::testing::Message() << p.lo << ".." << p.hi << " seed " << p.seed);
        CountingGenerator gen(p.seed);
        for (std::int32_t expected : p.values) EXPECT_EQ(uniform_draw(gen, p.lo, p.hi), expected);
        EXPECT_EQ(gen.calls, p.generator_calls);
    }
}

TEST(UniformDraw, RejectsTheOutputsThatWouldFavourSomeValues) {
    // For three values 2^32 mod 3 = 1 output is rejected: the one whose low word is 0.
    ListedGenerator gen{{0u, 0xFFFFFFFFu, 7u}};
    EXPECT_EQ(uniform_draw(gen, 10, 12), 12);
    EXPECT_EQ(gen.outputs.size(), 1u);
    // 0x55555556 * 3 = 0x1'0000'0002: its low word 2 is under the count but not under the
    // threshold, so it stands.
    ListedGenerator kept{{0x55555556u, 9u}};
    EXPECT_EQ(uniform_draw(kept, 0, 2), 1);
    EXPECT_EQ(kept.outputs.size(), 1u);
    // One value, and the whole range, still take one output each.
    ListedGenerator one{{0u, 5u, 0x80000000u}};
    EXPECT_EQ(uniform_draw(one, 4, 4), 4);
    EXPECT_EQ(uniform_draw(one, kMin, kMax), kMin + 5);
    EXPECT_EQ(uniform_draw(one, kMin, kMax), 0);
    EXPECT_TRUE(one.outputs.empty());
}

TEST(UniformDraw, AnEmptyRangeIsRefusedWithoutUsingAnOutput) {
    CountingGenerator gen(1);
    EXPECT_THROW(uniform_draw(gen, 5, 4), std::invalid_argument);
    EXPECT_THROW(uniform_draw(gen, kMax, kMin), std::invalid_argument);
    EXPECT_EQ(gen.calls, 0);
}

TEST(UniformDraw, TheDeviceDrawsWithIt) {
    DeviceRandom random(20261210u);
    for (std::int32_t expected : {2, 4, 2, 3, 3, 5, 4, 5})
        EXPECT_EQ(random.uniform(1, 5), expected);
    random.seed(1);
    for (std::int32_t expected : {2, 4, 3, 4, 1, 1, 2, 4})
        EXPECT_EQ(random.uniform(1, 4), expected);
}

#if defined(__GLIBCXX__)
// Where the GNU library is at hand, many more ranges and seeds are compared with it directly.
TEST(UniformDraw, AgreesWithTheGnuLibraryOverManyRanges) {
    std::mt19937 pick(99);
    for (int round = 0; round < 2000; ++round) {
        std::int32_t lo = std::int32_t(pick());
        std::int32_t hi = std::int32_t(pick());
        // Small ranges are the common case and large ones reach the rejection most often.
        if (round % 2 == 0) hi = std::int32_t(std::uint32_t(lo) + pick() % 1000);
        if (hi < lo) std::swap(lo, hi);
        const std::uint32_t seed = pick();
        std::mt19937 ours(seed);
        std::mt19937 theirs(seed);
        for (int i = 0; i < 16; ++i) {
            ASSERT_EQ(uniform_draw(ours, lo, hi),
                      std::uniform_int_distribution<std::int32_t>(lo, hi)(theirs))
                << lo << ".." << hi << " seed " << seed << " draw " << i;
        }
        ASSERT_EQ(ours, theirs) << "the generators were used a different number of times";
    }
}
#endif

} // namespace
} // namespace q50::testing
