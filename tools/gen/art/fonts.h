#pragma once
// Fonts come from files of fonts-dejavu-core, loaded by path, so the pictures do not depend
// on how the machine's font matching is set up.
#include <QFont>

namespace q50gen {

// Loads the font files; false when one is missing.
bool load_fonts();

QFont sans(double pixel_size, bool bold = false); // DejaVu Sans

} // namespace q50gen
