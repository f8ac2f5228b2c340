#pragma once
// The manual viewer: sixteen page pictures in a borderless window that stays on top, turned
// with two arrow buttons or the arrow keys, dragged by the page, closed by a button or Esc.
#include "board/image.h"
#include "display/manual_pages.h"

#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <filesystem>
#include <functional>

namespace q50 {

// Reads [Manual] from Config.ini in `executable_dir` (see display/manual_pages.h), with what
// it has to tell written to standard error.
ManualSettings read_manual_settings(const std::filesystem::path& executable_dir,
                                    const std::filesystem::path& current_dir);

// One of the three buttons: the released picture lies over the pressed one and takes the
// left mouse button. Pressed, it shows the pressed picture in its own place instead of hiding
// itself: a hidden widget loses the pointer grab, and the release that does the button's work
// would never arrive.
class ManualButton : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
    void set_pictures(const QPixmap& released, const QPixmap& pressed);
    // The released picture "hidden": the pressed one shows.
    void set_pressed(bool on);
    bool pressed() const { return pressed_; }
  signals:
    void left_pressed();
    void left_released();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    QPixmap released_;
    QPixmap pressed_picture_;
    bool pressed_ = false;
};

class ManualWindow : public QWidget { // TManualForm
    Q_OBJECT
  public:
    using ErrorPresenter = std::function<void(const QString& text)>;
    static constexpr int kPageCount = 16;

    // The pages are read when the window opens and let go when it closes, so a closed manual
    // holds no pictures. They take their memory from `budget`, shared with the skin (a budget
    // of their own when null).
    ManualWindow(const ManualSettings& settings, ErrorPresenter error, QWidget* parent = nullptr,
                 PictureBudget* budget = nullptr);

    // The menu's "View manual": reads every page (a page that cannot be decoded is reported
    // through the error presenter and the pages after it are left empty), then a plain show,
    // at the page last seen.
    void open();
    bool pages_loaded() const { return pages_loaded_; }
    // The manual at the device's scale: `total` physical pixels per page pixel on a screen of
    // device-pixel ratio `ratio`, at least the ratio itself (the desktop's own scale); when
    // that would not fit in 90 % of the screen, the largest
    // scale that does (display/scale.h's windowed fit). Whole-number totals repeat the pages'
    // pixels, others average areas, as for the device. A hidden window is centred anew.
    void set_scale(double total, double ratio);
    double total_scale() const { return total_; }

    int Manual_Page = 1;
    int Manual_Drag_X = 0;
    int Manual_Drag_Y = 0;
    // Manual_Page_Image[1..16]; entry 0 unused. A page not loaded is a null pixmap.
    std::array<QPixmap, kPageCount + 1> Manual_Page_Image{};

    QLabel* im_page_top = nullptr;
    QWidget* sh_page_top = nullptr;
    QLabel* btn_left_down = nullptr;
    ManualButton* btn_left_up = nullptr;
    QLabel* btn_right_down = nullptr;
    ManualButton* btn_right_up = nullptr;
    QLabel* btn_close_down = nullptr;
    ManualButton* btn_close_up = nullptr;

    void Vid_Show_Page();
    void Inp_left_down();
    void Inp_left_up();
    void Inp_right_down();
    void Inp_right_up();
    void Inp_esc_down();
    void Inp_esc_up();

  protected:
    void showEvent(QShowEvent* e) override;                 // FormShow
    void hideEvent(QHideEvent* e) override;                 // the pages are let go
    void keyPressEvent(QKeyEvent* e) override;              // FormKeyDown
    void keyReleaseEvent(QKeyEvent* e) override;            // FormKeyUp
    void resizeEvent(QResizeEvent* e) override;             // the buttons keep to their edges
    bool eventFilter(QObject* watched, QEvent* e) override; // the page's mouse

  private:
    void load_pages();
    void release_pages();
    void place_controls();
    // Page `n` as shown at the scale: only the part of it the window shows is brought to the
    // scale. A copy whose memory cannot be had is told once and the page shows nothing.
    // Above 1x it is made from the page drawn at twice the size when there is one.
    QPixmap at_scale(int n);
    // Page `n` drawn at twice the size, or null: read when first asked for, and only one page
    // held at a time. A page that cannot be used is told once per opening.
    Picture page_2x(int n);
    void drop_page_2x();
    // The buttons' pictures for a scale (physical pixels per design pixel): the built-in
    // double-size drawings above 1.
    void show_button_pictures(double scale);

    QSize design_size_;
    double total_ = 1.0;
    double ratio_ = 1.0;
    int button_drawing_ = 0; // 1 or 2: the size of the drawings the buttons show
    ManualSettings settings_;
    ErrorPresenter error_;
    PictureBudget own_budget_;
    PictureBudget* budget_;
    bool pages_loaded_ = false;
    std::array<std::filesystem::path, kPageCount + 1> page_files_{};
    std::array<bool, kPageCount + 1> page_told_{};
    Picture page_2x_;
    int page_2x_number_ = 0;
    std::array<bool, kPageCount + 1> page_2x_refused_{};
};

} // namespace q50
