#pragma once
// Larger drawings of a skin's pictures, for a device shown at a scale. A skin may name, in a
// section [Scaled], folders that hold the same picture files as SkinDir drawn at 2, 3 or 4 times
// the size: SkinDir2x, SkinDir3x, SkinDir4x. The loader itself never reads these keys, so a skin
// without them, and every picture at its design size, is exactly as before; a picture whose
// larger drawing is missing or not exactly that many times its size is shown scaled instead.
// BackdropDir2x, BackdropDir3x, BackdropDir4x in [Scaled] do the same for the fullscreen
// backdrop and logo (the file names of [Fullscreen]).
// The drawings take their memory from the skin's picture budget; a set with a picture that
// cannot be decoded or would pass the budget is not used at all (every picture is then shown
// scaled from its design size, as without the set), and standard error says why.
//
// The sets are large (a 4x set holds sixteen times the pixels of the skin), and most scales
// need none or one of them: the program notes what the skin offers and reads a set only when a
// scale needs it (prepare), after the first frame is on screen.
#include "display/skin_loader.h"

#include <map>
#include <unordered_map>
#include <vector>

namespace q50 {

class SkinSets {
  public:
    // Reads the sets for the pictures the board holds after a skin load, into `env.budget`
    // (a budget of its own without one). Never fails: what cannot be read is simply not
    // there; a set given up is told to `messages` (null: standard error).
    void load(const SkinEnvironment& env, const Board& board, MessageSink* messages = nullptr);
    // As load, but only notes which sets the skin names and which pictures they draw: each is
    // read by prepare() when a scale first needs it. `messages` (when given) must outlive the
    // sets, which tell it then.
    void offer(const SkinEnvironment& env, const Board& board, MessageSink* messages = nullptr);
    // Reads the set that pick() should take at `total` if it is only offered, and the next
    // smaller offered one if that set is given up; true when a set was read.
    bool prepare(double total);
    // The set pick() will take at `total` once prepared (0 for none).
    int wanted(double total) const;
    // Drops every set and gives its memory back to the budget it was loaded into.
    void clear();
    bool empty() const { return sets_.empty() && offered_.empty(); }

    // The drawing at `scale` of a picture on the board, or null.
    Picture find(const Image* picture, int scale) const;
    // The set to paint from for a total scale: the largest one read not above it (the one at
    // exactly that scale when there is one), enlarged to the scale; 0 for none (no sets, or
    // a scale below the smallest set). Reducing a larger set would be sharper between sets,
    // but painting 16 times the pixels made a full repaint on a 4K screen take a second.
    int pick(double total) const;
    // How many pictures each set holds, by scale.
    std::map<int, int> counts() const;

  private:
    // A picture of the board that a set may draw larger.
    struct Drawn {
        Picture design;
        std::string file; // as the skin names it
        bool transparent = false;
        bool decoration = false; // the fullscreen backdrop or logo, from decorations_dir
    };
    struct Offer {
        std::filesystem::path dir;             // the skin's pictures (may be empty)
        std::filesystem::path decorations_dir; // the backdrop and logo (may be empty)
        std::string key; // "SkinDir2x", or "BackdropDir2x" when only that is given
    };
    // Reads one offered set and charges the budget for what the sets keep.
    void read(int k);
    // Loads one set; false, with the reason in `why`, when the set must not be used.
    bool load_set(int k, const Offer& offer, PictureBudget& budget, MessageSink& messages,
                  std::string& why);
    std::int64_t kept_bytes() const;
    PictureBudget& budget() { return budget_ ? *budget_ : own_budget_; }

    std::map<int, std::unordered_map<const Image*, Picture>> sets_;
    std::map<int, Offer> offered_; // named by the skin, not read yet
    std::vector<Drawn> drawn_;
    MessageSink* messages_ = nullptr;
    PictureBudget* budget_ = nullptr; // what the sets are charged to, when not their own
    PictureBudget own_budget_;
    std::vector<Picture> keep_; // the design-size pictures, so that their addresses stay theirs
};

} // namespace q50
