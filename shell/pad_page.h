#pragma once
// The key dialog's "Controller" page: each of the seven actions takes one controller button.
// A row is chosen by clicking it; the next button pressed on any controller is its new
// button, and the row below is chosen next. Two actions on one button turn both labels red,
// as two equal keys do.
#include "input/pad.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <functional>

namespace q50 {

class PadPage : public QWidget {
    Q_OBJECT
  public:
    explicit PadPage(QWidget* dialog);

    // Pad_Label[1..7], Pad_Button[1..7]; entry 0 unused.
    std::array<QLabel*, 8> Pad_Label{};
    std::array<QPushButton*, 8> Pad_Button{};
    QPushButton* btn_defaults = nullptr;

    // Shows these buttons (index 1..7) and chooses the first row.
    void show_assignment(const std::array<PadButton, 8>& pads);
    const std::array<PadButton, 8>& chosen() const { return chosen_; }

    // The row waiting for a button, 1..7.
    int listening() const { return listening_; }
    void listen(int row);
    // A button pressed on a controller: it becomes the listening row's. Guide, which opens the
    // in-game menu, cannot be taken.
    void take(PadButton b);
    // The mapping a controller has with no setup.
    void restore_defaults();

    // Colours the labels of clashing rows; true when two rows share a button.
    bool CheckPads();
    // Told after every change of a row.
    std::function<void()> on_change;

  private:
    void set_row(int row, PadButton b);

    std::array<PadButton, 8> chosen_ = kDefaultPad;
    int listening_ = 1;
};

// The text a row shows for a button: the name printed on controllers ("D-pad left", "Back",
// "A"); the store keeps SDL's own ("dpleft").
QString pad_button_text(PadButton b);

} // namespace q50
