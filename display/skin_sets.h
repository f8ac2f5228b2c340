#pragma once
// Larger drawings of a skin's pictures, for a device shown at a scale. A skin may name, in a
// section [Scaled], folders that hold the same picture files as SkinDir drawn at 2, 3 or 4 times
// the size: SkinDir2x, SkinDir3x, SkinDir4x. The loader itself never reads these keys, so a skin
// without them, and every picture at its design size, is exactly as before; a picture whose
// larger drawing is missing or not exactly that many times its size is shown scaled instead.
#include "display/skin_loader.h"

#include <map>
#include <unordered_map>
#include <vector>

namespace q50 {

class SkinSets {
  public:
    // Reads the sets for the pictures the board holds after a skin load. Never fails: what
    // cannot be read is simply not there.
    void load(const SkinEnvironment& env, const Board& board);
    void clear();
    bool empty() const { return sets_.empty(); }

    // The drawing at `scale` of a picture on the board, or null.
    Picture find(const Image* picture, int scale) const;
    // The set to paint from for a total scale: the largest one not above it (the one at
    // exactly that scale when there is one), enlarged to the scale; 0 for none (no sets, or
    // a scale below the smallest set). Reducing a larger set would be sharper between sets,
    // but painting 16 times the pixels made a full repaint on a 4K screen take a second.
    int pick(double total) const;
    // How many pictures each set holds, by scale.
    std::map<int, int> counts() const;

  private:
    std::map<int, std::unordered_map<const Image*, Picture>> sets_;
    std::vector<Picture> keep_; // the design-size pictures, so that their addresses stay theirs
};

} // namespace q50
