#pragma once
// A control the program's own code names. The name is looked up in the design table while the
// code compiles: a misspelt name does not build, and at run time the handle is a plain index.
// Names that arrive from outside (skin tables, trace scripts) go through Board::find instead.
#include "board/board_geometry.h"

#include <cstdint>
#include <string_view>

namespace q50 {

class Board;

// Never defined and never called: reaching it while the compiler evaluates a SegmentId makes
// the build fail with this function's name in the message.
void no_control_has_this_name();

class SegmentId {
  public:
    // Implicit on purpose, so that board.show("im_flame_1") reads as before yet is checked.
    consteval SegmentId(const char* name) : index_(checked_index(name)) {}

    // A control of a numbered row, its name composed of a stem, a number and an ending
    // (numbered("im_flame_", 3) is im_flame_3); checked as a written name is.
    static consteval SegmentId numbered(std::string_view stem, int number,
                                        std::string_view ending = "") {
        char name[64] = {};
        std::size_t n = 0;
        for (char c : stem) name[n++] = c;
        char digits[12] = {};
        int d = 0;
        do {
            digits[d++] = char('0' + number % 10);
            number /= 10;
        } while (number > 0);
        while (d > 0) name[n++] = digits[--d];
        for (char c : ending) name[n++] = c;
        return SegmentId(std::size_t(checked_index(std::string_view(name, n))));
    }

    constexpr std::size_t index() const { return index_; }
    constexpr std::string_view name() const { return kDesignGeometry[index_].name; }
    constexpr bool operator==(const SegmentId&) const = default;

  private:
    // A segment already on a board has a position, so its handle needs no name
    // (Board::id_of).
    friend class Board;
    constexpr explicit SegmentId(std::size_t index) : index_(std::uint8_t(index)) {}

    static consteval std::uint8_t checked_index(std::string_view name) {
        const int i = design_index(name);
        if (i < 0) no_control_has_this_name();
        return std::uint8_t(i);
    }
    static_assert(kDesignGeometry.size() <= 256, "a handle holds its index in one byte");

    std::uint8_t index_;
};

} // namespace q50
