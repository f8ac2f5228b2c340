#pragma once
// The rows beyond the fourteen that are about the picture: the "Zoom" submenu with its keys
// (+ and - step the zoom, Backspace fits the screen) and "Save screenshot" (F9).
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QObject>

#include <array>
#include <memory>

namespace q50 {

class PopupMenu;
class Program;

class ZoomMenu : public QObject {
    Q_OBJECT
  public:
    ZoomMenu(Program& program, PopupMenu& menu);
    ~ZoomMenu() override;

    // Made when first asked for (the context menu's first popup); the rows exist before it.
    QMenu& submenu();
    // The rows in their order: fit, 100 %, 200 %, 300 %, 400 %, fullscreen fit, fullscreen
    // 100 %.
    QAction* row(int i) const { return rows_.at(std::size_t(i)); }
    QAction* screenshot_row() const { return screenshot_; }

    // "+" and "-": windowed, the zoom that fits the screen nearest above or below the one in
    // view (a notice at either end); fullscreen, the larger or smaller of fit and 100 %.
    // Backspace: fit.
    void step(bool up);
    void fit();
    // The check marks follow the stored choices.
    void refresh_checks();

    // Where screenshots go; empty: the user's pictures folder (xdg-user-dir PICTURES), else
    // the home folder.
    QString screenshot_folder;
    // Saves the frame as shown, without waiting: the folder is looked up in the background.
    void save_screenshot();

  private:
    void save_into(const QString& folder);

    Program& program_;
    std::unique_ptr<QMenu> submenu_;
    std::array<QAction*, 7> rows_{};
    QActionGroup* windowed_ = nullptr;
    QActionGroup* fullscreen_ = nullptr;
    QAction* screenshot_ = nullptr;
    QAction* plus_ = nullptr;
    QAction* minus_ = nullptr;
    QAction* fit_key_ = nullptr;
};

} // namespace q50
