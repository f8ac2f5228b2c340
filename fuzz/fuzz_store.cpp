// The settings file parser on arbitrary bytes: it must never crash, a rewrite must keep every
// line it did not change, and a value set must read back. Then the same bytes as the store
// file on disk: reading never fails hard, and raising a high score keeps the higher value and
// never leaves a file larger than the store reads.
#include "shell/core/file_store.h"
#include "shell/core/store_text.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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

    static const std::filesystem::path dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "q50-fuzz-XXXXXX").string();
        require(::mkdtemp(tmpl.data()) != nullptr);
        return std::filesystem::path(tmpl);
    }();
    const std::filesystem::path path = dir / "Quendrix50.conf";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(file.data(), std::streamsize(size));
    q50::FileStore store(path, std::chrono::milliseconds(0));
    const std::optional<std::string> before = store.read_text("HiScore1");
    const std::int32_t stored = store.read_int("HiScore1", -1);
    const std::int32_t best = store.raise_int("HiScore1", 500);
    require(best == std::max<std::int32_t>(stored, 500) || (before && stored == -1));
    const std::int32_t after = store.read_int("HiScore1", -1);
    // Either the file held a better score, or the new one was kept, or the write was refused
    // (file too large to read or to grow) and the file is as it was.
    require(after >= 500 || after == stored);
    require(std::filesystem::file_size(path) <=
            std::max<std::uintmax_t>(size, q50::FileStore::kMaxFileSize));
    return 0;
}
