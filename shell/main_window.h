#pragma once
// The main window: the device's picture in a borderless window. It paints the painter's frame
// (only when the board changed), takes the outline of the device in windowed mode (the
// see-through key colour lets clicks through), covers the screen in fullscreen mode, and turns
// keys and clicks into the input dispatch.
#include "board/board.h"
#include "display/presenter.h"
#include "display/window_model.h"
#include "input/dispatch.h"
#include "shell/main_window_host.h"
#include "shell/realtime_driver.h"

#include <QImage>
#include <QLabel>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

namespace q50 {

class PictureBudget;
class WaitingPictures;

class TForm1 : public QWidget, public WindowMover {
    Q_OBJECT
  public:
    TForm1(Board& board, const WindowModel& window, InputDispatch& input, RealtimeDriver& driver);

    // Told of what the window's events mean beyond the device's input (null: nobody).
    void set_host(MainWindowHost* host) { host_ = host; }
    MainWindowHost* host() const { return host_; }
    bool painted_once() const { return presenter_.shown_once(); }

    // Off the screen (and unmapped, so that it is never seen there).
    void move_off_screen();
    // Takes the size and look of the window model and comes onto the screen centred; in
    // fullscreen mode it covers the screen.
    // With `place`, a windowed device comes up there instead (a remembered place).
    void centre_on_screen(const QPoint* place = nullptr);
    // Where the window is (its left and top), as it placed itself or was dragged.
    QPoint place() const { return window_pos_; }

    // A small mark beside the device, not part of its frame ("PAUSED"); empty for none. It
    // shows while the window is on the screen and the program has the focus.
    void set_mark(const QString& text);
    const QString& mark() const { return mark_; }
    const QLabel* mark_window() const { return mark_window_; }
    // The device's part of the window on the screen: the whole window when windowed, the
    // device without the backdrop and the menu button in fullscreen.
    QRect device_on_screen() const;
    // The fullscreen logo on the screen (empty when windowed or without one).
    QRect logo_on_screen() const;
    bool on_screen() const { return on_screen_; }
    // After a change of size: centred on `centre` as far as the screen holding that point
    // allows, wholly on it when it fits.
    void keep_on_screen(const QPoint& centre);

    // Repaints when the board or the window model changed since the last paint.
    void refresh();
    // The frame as last painted (ARGB, design pixels: the window model's client size). At 100 %
    // in fullscreen that is the frame shown, painted over the kept backdrop.
    const Image& frame() const { return presenter_.design_frame(); }
    // The frame as the window shows it: at the scale, in physical pixels.
    const Image& shown_frame() const { return presenter_.frame(); }
    // What lies between the board and the frame shown: scale, view, composition, LCD look.
    Presenter& presenter() { return presenter_; }

    // Pictures the first skin load left without their pixels (null: none). They are completed
    // once the first frame is on screen; before that, those a paint shows are completed as it
    // needs them.
    void set_waiting_pictures(WaitingPictures* waiting) {
        presenter_.set_waiting_pictures(waiting);
    }
    // Every waiting picture, or only those a shown segment draws.
    void finish_waiting_pictures(bool only_shown = false);

    // Which file each picture came from, for the host's word on pictures not shown (may be
    // null).
    void set_picture_names(const PictureBudget* names) { presenter_.set_picture_names(names); }
    CopyBudget& copy_budget() { return presenter_.copy_budget(); }

    // The skin's larger drawings, used above a scale of 1 (null: none). Call again after
    // they were reloaded. The set a scale needs is read once the first frame is on screen
    // (the design-size pictures are scaled until then) or when the scale changes after it.
    void set_skin_sets(SkinSets* sets) { presenter_.set_skin_sets(sets); }

    // The presentation's scale, physical pixels per design pixel, and the screen's
    // device-pixel ratio (physical pixels per window pixel). The window takes its new size at
    // the next refresh.
    void set_scale(double total, double ratio) { presenter_.set_scale(total, ratio); }
    double scale() const { return presenter_.scale(); }
    double ratio() const { return presenter_.ratio(); }
    // Window pixels per design pixel.
    double view_scale() const { return presenter_.view_scale(); }
    // The design pixel under a window position.
    QPoint to_design(const QPointF& window_pos) const;
    // A design rectangle in window pixels.
    QRect to_window(const Rect& design) const;
    // The region that takes the pointer in windowed mode (the non-transparent pixels).
    const QRegion& shape() const { return shape_; }
    std::uint64_t paints() const { return presenter_.frames(); }

    // The unlit-segment shadow and the segment fade; refresh() after changing a setting.
    LcdLook& lcd_look() { return presenter_.lcd_look(); }
    // Frames are painted at the screen's rate only while a segment fades.
    bool fade_frames_running() const { return fade_frames_.isActive(); }
    int fade_frame_ms() const { return fade_frames_.interval(); }

    // WindowMover: the drag moves the window.
    int left() const override { return window_pos_.x(); }
    int top() const override { return window_pos_.y(); }
    void set_left(int left) override;
    void set_top(int top) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void apply_layout();
    void show_frame(const std::vector<Rect>& changed);
    void update_shape(const Image& frame);
    void update_cursor(const QPoint& pos);
    void tell_refusals();
    QPoint local_to(const Segment& s, const QPointF& global) const;

    Board& board_;
    const WindowModel& window_;
    InputDispatch& input_;
    RealtimeDriver& driver_;
    MainWindowHost* host_ = nullptr;
    Presenter presenter_;
    QTimer fade_frames_;
    QImage image_;
    QRegion shape_;
    std::vector<int> shape_runs_;
    QPoint window_pos_;
    bool on_screen_ = false;
    bool system_move_ = false;
    bool dragging_ = false;
    QString mark_;
    QLabel* mark_window_ = nullptr;
    void place_mark();
};

} // namespace q50
