#pragma once
// The segment board: every picture control of the device, in declaration order, and the index
// tables through which the rules address segments by number.
#include "board/segment.h"
#include "board/segment_id.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace q50 {

// Told about every real change, in the order the changes happen.
class BoardObserver {
  public:
    virtual ~BoardObserver() = default;
    virtual void shown_changed(const Segment&) {}
    virtual void picture_changed(const Segment&) {}
    virtual void rect_changed(const Segment&) {}
};

[[noreturn]] void table_fault(const char* table, int index);

// A fixed index range [Lo, Lo + N) whose slots may be empty. Addressing an index outside the
// range or an empty slot is a programming error and stops the program at once, so that a rule
// that goes astray is caught by the tests instead of painting a wrong segment.
template <std::size_t N, int Lo = 0> class SegTable {
  public:
    explicit SegTable(const char* name = "") : name_(name) { slots_.fill(nullptr); }
    Segment& operator[](int i) const {
        Segment* s = slot(i);
        if (!s) table_fault(name_, i);
        return *s;
    }
    // The slot itself, null for an empty slot; used by group operations that skip empty slots.
    Segment* slot(int i) const {
        if (i < Lo || i >= Lo + int(N)) table_fault(name_, i);
        return slots_[std::size_t(i - Lo)];
    }
    void set(int i, Segment* s) {
        if (i < Lo || i >= Lo + int(N)) table_fault(name_, i);
        slots_[std::size_t(i - Lo)] = s;
    }
    static constexpr int first() { return Lo; }
    static constexpr int last() { return Lo + int(N) - 1; }

  private:
    const char* name_;
    std::array<Segment*, N> slots_;
};

template <std::size_t Rows, int RowLo, std::size_t Cols> class SegTable2 {
  public:
    explicit SegTable2(const char* name = "") : name_(name) {
        for (auto& r : rows_) r.fill(nullptr);
    }
    Segment& operator()(int r, int c) const {
        Segment* s = slot(r, c);
        if (!s) table_fault(name_, r * 100 + c);
        return *s;
    }
    Segment* slot(int r, int c) const {
        if (r < RowLo || r >= RowLo + int(Rows) || c < 0 || c >= int(Cols))
            table_fault(name_, r * 100 + c);
        return rows_[std::size_t(r - RowLo)][std::size_t(c)];
    }
    void set(int r, int c, Segment* s) {
        if (r < RowLo || r >= RowLo + int(Rows) || c < 0 || c >= int(Cols))
            table_fault(name_, r * 100 + c);
        rows_[std::size_t(r - RowLo)][std::size_t(c)] = s;
    }

  private:
    const char* name_;
    std::array<std::array<Segment*, Cols>, Rows> rows_;
};

class Board {
  public:
    Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    static constexpr std::size_t kSegmentCount = kDesignGeometry.size();

    // All segments in declaration order (stable addresses for the whole run).
    std::vector<Segment>& segments() { return segments_; }
    const std::vector<Segment>& segments() const { return segments_; }

    // The control the code names; checked when it compiles (board/segment_id.h).
    Segment& get(SegmentId id) { return segments_[id.index()]; }
    const Segment& get(SegmentId id) const { return segments_[id.index()]; }
    // The handle of a segment of this board (from segments(), find or a hit test).
    SegmentId id_of(const Segment& s) const;
    // Lookup of a name read from outside the code (skin tables, trace scripts); null when
    // there is no such control.
    Segment* find(std::string_view name);
    const Segment* find(std::string_view name) const;
    // The same for a name that must exist; a missing name is a programming error.
    Segment& named(std::string_view name);
    const Segment& named(std::string_view name) const;

    // The only ways the program changes a segment. Each reports a real change to the observer
    // and bumps the segment's and the board's revision; a call that changes nothing is silent.
    void set_shown(Segment& s, bool shown);
    void show(Segment& s) { set_shown(s, true); }
    void hide(Segment& s) { set_shown(s, false); }
    void show(SegmentId id) { set_shown(get(id), true); }
    void hide(SegmentId id) { set_shown(get(id), false); }
    bool shown(SegmentId id) const { return get(id).shown; }
    // Several at once, in the order given.
    void show(std::initializer_list<SegmentId> ids) {
        for (SegmentId id : ids) show(id);
    }
    void hide(std::initializer_list<SegmentId> ids) {
        for (SegmentId id : ids) hide(id);
    }
    // dst takes src's picture (a shared copy) and remembers where it came from.
    void copy_picture(Segment& dst, const Segment& src);
    void clear_picture(Segment& dst);
    // A picture of its own (skin loader, built-in pictures).
    void set_picture(Segment& s, Picture p);
    void set_rect(Segment& s, Rect r);

    // Bumped on every change of any segment.
    std::uint64_t revision() const { return revision_; }

    void set_observer(BoardObserver* o) { observer_ = o; }

    // Index tables, filled once at construction and never changed.
    SegTable<4, 0> Seg_Miss{"Seg_Miss"};
    SegTable<3, 1> Seg_Alarm{"Seg_Alarm"};
    SegTable<4, 1> Seg_Digit{"Seg_Digit"};
    SegTable<10, 0> Seg_Number{"Seg_Number"};
    SegTable<10, 1> Seg_Flame{"Seg_Flame"};
    SegTable2<6, 0, 6> Seg_Pelko{"Seg_Pelko"};
    SegTable2<2, 0, 7> Seg_Partner{"Seg_Partner"};
    SegTable<2, 1> Seg_Enemy_Boom{"Seg_Enemy_Boom"};
    SegTable2<5, 1, 7> Seg_Enemy{"Seg_Enemy"};

  private:
    void build_tables();
    void changed(Segment& s);

    std::vector<Segment> segments_;
    std::uint64_t revision_ = 0;
    BoardObserver* observer_ = nullptr;
};

// Whether a component name belongs to the liquid-crystal display (these segments are drawn
// transparent and are what the everything-on display lights).
constexpr bool is_lcd_segment(std::string_view n) {
    auto starts = [&](std::string_view p) { return n.substr(0, p.size()) == p; };
    return starts("im_pelko_") || starts("im_enemy_") || starts("im_flame_") ||
           starts("im_partner_") || starts("im_panel_");
}

} // namespace q50
