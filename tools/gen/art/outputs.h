#pragma once
// The files the generator writes.
#include "art_book.h"

#include <filesystem>

namespace q50gen {

// The see-through colour of the window, as the skin file gives it ($00ff00ff: magenta).
constexpr unsigned kKeyColourIni = 0x00ff00ff;
constexpr QRgb kKeyRgb = 0xffff00ff; // the same colour as Qt writes it

// One PNG per skin segment into data/Graphics/Skin.
void write_skin(const ArtBook& book, const std::filesystem::path& data);
// data/Config.ini: every segment at its design rectangle.
void write_config(const std::filesystem::path& file);
void write_backdrop(const std::filesystem::path& folder);
void write_window_pictures(const ArtBook& book, const std::filesystem::path& folder);
// The program icon at 16 .. 512 pixels (quendrix50-N.png) and as quendrix50.svg.
void write_icons(const std::filesystem::path& folder);
void write_manual(const ArtBook& book, const std::filesystem::path& source,
                  const std::filesystem::path& folder);
void write_previews(const ArtBook& book, const std::filesystem::path& folder);

// Segments whose picture the skin file leaves out ("nil"): the four digit positions get
// their pictures from the glyphs while the device runs, and a reload during play would
// otherwise put a stale picture over the score until its next redraw.
bool named_nil(std::string_view segment);

} // namespace q50gen
