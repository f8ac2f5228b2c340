#pragma once
// Small picture files made by the tests themselves: bitmaps and icons byte by byte, PNG and
// JPEG through libpng and libjpeg. Also a scratch directory and a message recorder.
#include "board/image.h"
#include "host/services.h"
#include "tests/support/temp_dir.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q50::test {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v);
void put32(Bytes& b, std::uint32_t v);

struct BmpLayout {
    BmpLayout(int w, int h, int depth = 24, std::uint32_t comp = 0, std::vector<Argb> pal = {},
              int header = 40, std::optional<std::array<std::uint32_t, 4>> m = std::nullopt)
        : width(w), height(h), bpp(depth), compression(comp), palette(std::move(pal)),
          header_size(header), masks(m) {}
    int width = 0;
    int height = 0; // negative: rows stored top-down
    int bpp = 24;
    std::uint32_t compression = 0;
    std::vector<Argb> palette;                         // written as B, G, R, 0
    int header_size = 40;                              // 12, 40, 108 or 124
    std::optional<std::array<std::uint32_t, 4>> masks; // after a 40-byte header, or inside V4/V5
};
// A complete .bmp file around the given pixel bytes (already in file row order and padded).
Bytes bmp_file(const BmpLayout& layout, const Bytes& pixels);
// The info header (without file header), palette and masks.
Bytes bmp_info(const BmpLayout& layout);

// Pixel rows for uncompressed bitmaps, bottom-up unless top_down, each row padded to four
// bytes. `indices` (for 1, 4, 8 bits) and `image` (for 16, 24, 32 bits) are top-down.
Bytes pack_indices(int width, int height, int bpp, const std::vector<std::uint8_t>& indices,
                   bool top_down);
Bytes pack_rgb(const Image& image, int bpp, bool top_down);
// 1-bit mask rows, bottom-up, set bits where `transparent` is true (top-down order).
Bytes pack_mask(int width, int height, const std::vector<bool>& transparent);

struct IconEntry {
    int width = 0;
    int height = 0;
    int bpp = 0;
    Bytes data;
};
Bytes ico_file(const std::vector<IconEntry>& entries);

enum class PngColour { Grey, GreyAlpha, Rgb, Rgba, Palette };
struct PngLayout {
    PngLayout(int w, int h, PngColour c, int depth = 8, bool interlace = false,
              std::vector<Argb> pal = {},
              std::optional<std::array<std::uint16_t, 3>> trns = std::nullopt)
        : width(w), height(h), colour(c), bit_depth(depth), interlaced(interlace),
          palette(std::move(pal)), trns_colour(trns) {}
    int width = 0;
    int height = 0;
    PngColour colour = PngColour::Rgba;
    int bit_depth = 8;
    bool interlaced = false;
    std::vector<Argb> palette; // Palette only (alpha goes to tRNS when not 0xFF)
    std::optional<std::array<std::uint16_t, 3>> trns_colour; // Grey uses [0], Rgb all three
};
// `rows` are raw PNG sample bytes, top-down, without filter bytes.
Bytes png_bytes(const PngLayout& layout, const Bytes& rows);
Bytes png_of(const Image& image); // 8-bit RGBA

Bytes jpeg_of(const Image& image, bool grey, int quality = 95, bool progressive = false);

// The shared scratch directory, with writers for the files a test needs.
class ScratchDir : public TempDir {
  public:
    std::filesystem::path operator/(std::string_view name) const { return path() / name; }
    // Creates parent directories as needed.
    void write(std::string_view name, const Bytes& bytes) const;
    void write_text(std::string_view name, std::string_view text) const;
};

struct RecordingSink : MessageSink {
    std::vector<std::string> messages;
    std::vector<std::string> notices; // what would go to standard error
    void error(const std::string& text) override { messages.push_back(text); }
    void notice(const std::string& text) override { notices.push_back(text); }
};

} // namespace q50::test
