#pragma once
// The presenter: everything between the board and a frame of screen pixels, the same for every
// front end (the desktop window, a browser canvas, a video frame, the trace tool's snapshot).
//
// The board lays the device out in design pixels and holds the game. The presenter shows it at
// a total scale (physical pixels per design pixel: zoom times the device-pixel ratio),
// windowed (pixels of the key colour see-through) or fullscreen (covering the screen, the
// backdrop and logo drawn once at its resolution), the whole device or the LCD alone, from the
// skin's larger drawings where it has them, with the liquid crystal's look. It owns the copies
// it makes and their budget, and completes pictures still waiting for their pixels before a
// frame shows them.
//
// The contract, in the order a front end uses it:
//   1. Tell it what changed: set_scale, set_screen, set_view, set_skin_sets, the look's
//      settings (lcd_look()). The board and the window model are watched (their revision and
//      value); a front end tells nothing about them.
//   2. Ask for the frame: present(now) brings frame() up to date and hands back the rectangles
//      of it that changed, in physical pixels; a front end copies only those to its screen.
//      `now` is the device's time, which the fade follows.
//   3. Ask when to come back: next_frame_ms() while a segment fades, else never; every other
//      change comes with the front end's own events.
//   4. Map back: to_design turns a position on the output into the design pixel under it, the
//      one the input dispatch takes.
//
// Nothing here knows a toolkit, a thread or a wall clock.
#include "board/board.h"
#include "display/copy_budget.h"
#include "display/frame_scaler.h"
#include "display/lcd_look.h"
#include "display/painter.h"
#include "display/scale.h"
#include "display/scaled_scene.h"
#include "display/set_painter.h"
#include "display/window_model.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace q50 {

class PictureBudget;
class SkinSets;
class WaitingPictures;

// What of the device is in view; the stored `View` holds the number.
enum class View {
    Device = 0, // the whole device, as laid out by the skin
    Lcd = 1,    // the rectangle of im_background_screen_top and what lies under it
};
// Any other stored number means the whole device.
View valid_view(std::int32_t stored);
// A design pixel; a position off the part of the board in view maps to kOffBoard.
struct DesignPoint {
    int x = 0, y = 0;
    bool operator==(const DesignPoint&) const = default;
};
inline constexpr DesignPoint kOffBoard{-(1 << 30), -(1 << 30)};
// The segment whose rectangle the LCD view shows.
inline constexpr const char* kLcdViewSegment = "im_background_screen_top";

class Presenter {
  public:
    Presenter(const Board& board, const WindowModel& window);
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // --- What changed ------------------------------------------------------------------------
    // Physical pixels per design pixel, and physical pixels per window pixel. A new value lays
    // the output out anew at the next present.
    void set_scale(double total, double ratio);
    // The screen in window pixels: a fullscreen output covers it (and is never larger).
    void set_screen(PixelSize screen);
    void set_view(View view);
    // The skin's larger drawings (null: none); again after they were reloaded. A set is read
    // only after the first frame reached the screen (first_frame_shown), or when the scale
    // changes after it.
    void set_skin_sets(SkinSets* sets);
    // Pictures the skin load left without their pixels (null: none).
    void set_waiting_pictures(WaitingPictures* waiting) { waiting_ = waiting; }
    // Which file each picture came from, for what is told of a copy refused (may be null).
    void set_picture_names(const PictureBudget* names) { names_ = names; }
    // The screen's refresh rate: a fade is painted at it (default 60).
    void set_refresh_rate(double hz);
    // The unlit-segment shadow and the segment fade; the next present follows a change.
    LcdLook& lcd_look() { return look_; }
    CopyBudget& copy_budget() { return copies_; }

    // --- Asking for the frame ----------------------------------------------------------------
    struct Update {
        bool laid_out = false;     // the output took a new size or mode: resize and show all of it
        bool painted = false;      // frame() changed where `changed` says
        std::vector<Rect> changed; // physical pixels, disjoint
    };
    Update present(std::int64_t now);
    // The next present lays the output out and paints all of it anew (a front end that lost
    // its surface).
    void invalidate() { applied_once_ = false; }
    // The frame of the output, physical pixels (empty before the first present).
    const Image& frame() const;
    // The board's frame in design pixels as last painted: the frame itself at 100 %.
    const Image& design_frame() const;
    // The output's size in physical and in window pixels, as laid out at the last present.
    PixelSize output_size() const { return out_; }
    PixelSize window_size() const;
    // The first frame reached the screen: from now on the sets a scale needs are read.
    void first_frame_shown() { shown_once_ = true; }
    bool shown_once() const { return shown_once_; }
    // Reads the set the scale needs if it is only offered; true when the frame must be
    // presented again from it.
    bool prepare_sets();
    // Completes every waiting picture, or only those a shown segment draws; true when a file
    // turned out damaged (its picture stays empty).
    bool finish_waiting_pictures(bool only_shown = false);
    // What to tell of the copies refused since the last call, each file once per skin; empty
    // when nothing.
    std::string take_refusals();
    // Some waiting picture failed during a present since the last call.
    bool take_picture_failure() { return std::exchange(picture_failed_, false); }
    std::uint64_t frames() const { return frames_; }

    // --- When to come back -------------------------------------------------------------------
    // Milliseconds until the next frame is wanted (a segment fades), -1 for none.
    int next_frame_ms() const { return look_.fading() ? frame_interval_ms_ : -1; }
    int frame_interval_ms() const { return frame_interval_ms_; }

    // --- Mapping -----------------------------------------------------------------------------
    double scale() const { return scale_; }
    double ratio() const { return ratio_; }
    View view() const { return view_; }
    // Window pixels per design pixel.
    double view_scale() const { return scale_ / ratio_; }
    // The design pixel under a window position. A position outside the part of the board in
    // view maps to a point off the board.
    DesignPoint to_design(double x, double y) const;
    // A design rectangle in window pixels.
    Rect to_window(Rect design) const;
    // The part of the board in view, design pixels: the client, or the LCD's rectangle.
    Rect view_area() const;

  private:
    void lay_out();
    Rect whole_client() const;
    bool unscaled() const { return scale_ == 1.0 && ratio_ == 1.0; }
    PixelSize laid_out_size() const;
    // The whole device; false when there is nothing to show.
    bool compose_device(std::vector<Rect>& parts);
    // The LCD alone, from the device's frame at the scale `from_scale` (1 or a set's).
    bool compose_lcd(std::vector<Rect>& parts);
    void tell_refusals();

    const Board& board_;
    const WindowModel& window_;
    CopyBudget copies_; // before the painters that give back to it
    Painter painter_;
    FrameScaler scaler_;
    SetPainter set_painter_;
    ScaledScene scene_;
    LcdLook look_;
    SkinSets* sets_ = nullptr;
    WaitingPictures* waiting_ = nullptr;
    const PictureBudget* names_ = nullptr;
    std::set<std::string> told_;
    std::string refusals_;
    bool picture_failed_ = false;
    const Image* shown_ = nullptr;
    double scale_ = 1.0;
    double ratio_ = 1.0;
    View view_ = View::Device;
    PixelSize screen_;
    PixelSize out_;
    // The LCD view as laid out: its design rectangle (empty: the whole device is shown), the
    // scaled picture's place on the output (physical pixels), the LCD cut from the device's
    // frame at that frame's scale, and the screen-sized frame a fullscreen view shows it in.
    Rect lcd_area_;
    Rect lcd_place_;
    Image lcd_source_;
    Image lcd_frame_;
    int frame_interval_ms_ = 16;
    std::uint64_t painted_look_ = 0;
    WindowModel applied_;
    bool applied_once_ = false;
    std::uint64_t painted_revision_ = ~std::uint64_t(0);
    std::uint64_t frames_ = 0;
    bool shown_once_ = false;
};

} // namespace q50
