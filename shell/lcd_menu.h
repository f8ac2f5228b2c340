#pragma once
// The "LCD" submenu of the context menu: how strongly unlit segments show (off, a few set
// fractions or one of the player's own) and how long a segment takes to darken and clear. A
// choice is stored at once and the device repainted at once; the stored choices are applied
// when the menu is made.
#include "display/lcd_look.h"
#include "host/settings_store.h"

#include <QActionGroup>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

namespace q50 {

class LcdMenu : public QObject {
    Q_OBJECT
  public:
    static constexpr int kShadowChoices[] = {0, 5, 10, 15, 25};
    static constexpr int kFadeChoices[] = {0, 40, 80};

    // `repaint` brings the device's picture up to date; the menu's parent takes the menu.
    LcdMenu(LcdLook& look, SettingsStore& store, std::function<void()> repaint,
            QWidget* parent = nullptr);
    ~LcdMenu() override;

    // Made when first asked for (the context menu's first popup); the rows exist before it.
    QMenu& menu();
    void choose_shadow(int percent);
    void choose_fade(int ms);
    // Asks for a shadow of the player's own and takes it, unless the player cancels.
    void choose_custom_shadow();
    // Sets the check marks from the look (before the menu opens).
    void refresh_checks();

    // How the player is asked for a shadow in percent: the current value in, nothing when
    // cancelled. A dialog by default; tests answer instead.
    std::function<std::optional<int>(int current)> ask_shadow;

  private:
    LcdLook& look_;
    SettingsStore& store_;
    std::function<void()> repaint_;
    QWidget* parent_;
    QPointer<QMenu> menu_;
    bool made_ = false;
    QActionGroup* shadows_ = nullptr;
    QActionGroup* fades_ = nullptr;
    std::vector<std::pair<int, QAction*>> shadow_rows_;
    QAction* custom_row_ = nullptr;
    std::vector<std::pair<int, QAction*>> fade_rows_;
};

} // namespace q50
