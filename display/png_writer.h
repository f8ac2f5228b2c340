#pragma once
// Writes a frame or a picture as an 8-bit RGBA PNG (snapshots, generated data, tests).
#include "board/image.h"

#include <filesystem>
#include <string>

namespace q50 {

// False with a reason in *error when the file cannot be written.
bool write_png(const Image& image, const std::filesystem::path& path, std::string* error = nullptr);

} // namespace q50
