#pragma once
// The files the generator writes.
#include "art_book.h"

#include <filesystem>

namespace q50gen {

// The see-through colour of the window, as the skin file gives it ($00ff00ff: magenta).
constexpr unsigned kKeyColourIni = 0x00ff00ff;
constexpr QRgb kKeyRgb = 0xffff00ff; // the same colour as Qt writes it

// One PNG per skin segment into data/Graphics/Skin; with a scale of 2 or 4 the same pictures
// drawn at that many pixels per design pixel into data/Graphics/Skin@2x (@4x), the sets the
// desktop picks for a scaled device.
void write_skin(const ArtBook& book, const std::filesystem::path& data, int scale = 1);
// The scales of the sets beside the design-size skin.
constexpr int kSkinSetScales[] = {2, 4};
// data/Config.ini: every segment at its design rectangle.
void write_config(const std::filesystem::path& file);
// The backdrop and the logo; with a scale of 2 or 4 drawn that much larger, for the folders
// Graphics/Backdrop@2x (@4x) that a fullscreen device at a scale draws them from (the
// backdrop up to 2x only).
void write_backdrop(const std::filesystem::path& folder, int scale = 1);
void write_window_pictures(const ArtBook& book, const std::filesystem::path& folder);
// The program icon at 16 .. 512 pixels (quendrix50-N.png) and as quendrix50.svg.
void write_icons(const std::filesystem::path& folder);
// The sixteen pages as 1.bmp .. 16.bmp into `folder`, and drawn at twice the size as 1.png ..
// 16.png into `folder2x`, for a manual shown above 1x.
void write_manual(const ArtBook& book, const std::filesystem::path& source,
                  const std::filesystem::path& folder, const std::filesystem::path& folder2x);
void write_previews(const ArtBook& book, const std::filesystem::path& folder);

// Segments whose picture the skin file leaves out ("nil"): the four digit positions get
// their pictures from the glyphs while the device runs, and a reload during play would
// otherwise put a stale picture over the score until its next redraw.
bool named_nil(std::string_view segment);

} // namespace q50gen
