// The settings file parser on arbitrary bytes: it must never crash, a rewrite must keep every
// line it did not change, and a value set must read back.
#include "shell/core/store_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const q50::StoreText text = q50::parse_store_text(file);

    // Serialising and parsing again gives the same lines and the same values.
    const std::string once = text.serialize();
    const q50::StoreText again = q50::parse_store_text(once);
    require(again.lines.size() == text.lines.size());
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        require(again.lines[i].raw == text.lines[i].raw);
        require(again.lines[i].is_value == text.lines[i].is_value);
        if (text.lines[i].is_value) require(again.find(text.lines[i].name).has_value());
    }
    require(again.serialize() == once);

    // Setting one value changes that value only.
    q50::StoreText changed = text;
    changed.set("HiScore1", "777");
    require(changed.find("HiScore1") == std::optional<std::string>("777"));
    const q50::StoreText reread = q50::parse_store_text(changed.serialize());
    require(reread.find("HiScore1") == std::optional<std::string>("777"));
    for (const q50::StoreLine& line : text.lines)
        if (line.is_value && line.name != "HiScore1" && q50::storable_name(line.name))
            require(reread.find(line.name) == text.find(line.name));

    // A name and a text taken from the input are stored and read back when they are storable.
    const std::size_t cut = size / 2;
    const std::string_view name = file.substr(0, std::min<std::size_t>(cut, 40));
    const std::string_view value = file.substr(cut);
    if (q50::storable_name(name) && q50::storable_text(value)) {
        q50::StoreText t = text;
        t.set(name, value);
        require(q50::parse_store_text(t.serialize()).find(name) == std::string(value));
    }
    return 0;
}
