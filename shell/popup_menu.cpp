#include "shell/popup_menu.h"

#include "host/setting_names.h"
#include "shell/core/menu_commands.h"
#include "shell/game_menu.h"

#include <QKeySequence>

namespace q50 {

PopupMenu::PopupMenu(QWidget* main_window, Device& device, Presentation& presentation,
                     SettingsStore& settings, MenuHost& host)
    : device_(device), presentation_(presentation), settings_(settings), host_(host),
      main_window_(main_window) {
    items_ = {{
        {"", QString(), 0, nullptr},
        {"pm_1_about", QStringLiteral("About..."), Qt::Key_F1, &PopupMenu::pm_1_aboutClick},
        {"pm_2_readme", QStringLiteral("View 'Readme.txt'"), Qt::Key_F2,
         &PopupMenu::pm_2_readmeClick},
        {"pm_3_whatsnew", QStringLiteral("View 'Whatsnew.txt'"), Qt::Key_F3,
         &PopupMenu::pm_3_whatsnewClick},
        {"pm_4_manual", QStringLiteral("View manual"), Qt::Key_F4, &PopupMenu::pm_4_manualClick},
        {"pm_5_n1", QStringLiteral("-"), 0, nullptr},
        {"pm_6_config", QStringLiteral("Edit configuration file"), 0, &PopupMenu::pm_6_configClick},
        {"pm_7_keys", QStringLiteral("Key settings"), 0, &PopupMenu::pm_7_keysClick},
        {"pm_8_hiscore", QStringLiteral("Reset Hiscores"), 0, &PopupMenu::pm_8_hiscoreClick},
        {"pm_9_n2", QStringLiteral("-"), 0, nullptr},
        {"pm_10_fullscreen", QStringLiteral("Display in fullscreen mode"), Qt::Key_F12,
         &PopupMenu::pm_10_fullscreenClick},
        {"pm_11_splashscreen", QStringLiteral("Display splash screen at startup"), 0,
         &PopupMenu::pm_11_splashscreenClick},
        {"pm_12_controller", QStringLiteral("Display controller overlays"), 0,
         &PopupMenu::pm_12_controllerClick},
        {"pm_13_n3", QStringLiteral("-"), 0, nullptr},
        {"pm_14_exit", QStringLiteral("Exit"), Qt::Key_Escape, &PopupMenu::pm_14_exitClick},
    }};
    for (int i = 1; i <= kItemCount; ++i) {
        MenuItem& it = items_[std::size_t(i)];
        it.action = new QAction(this);
        if (it.separator()) {
            it.action->setSeparator(true);
        } else {
            // The shortcut is shown after a tab rather than registered with Qt: the keys are
            // taken by handle_shortcut whether or not the menu is open, and a registered Esc
            // would end the program when the user only meant to close the open menu.
            QString text = it.caption;
            if (it.shortcut) text += '\t' + QKeySequence(it.shortcut).toString();
            it.action->setText(text);
            connect(it.action, &QAction::triggered, this, [this, i] { run(i); });
        }
        it.action->setObjectName(QString::fromLatin1(it.name));
    }
    for (int i : {10, 11, 12}) item(i).action->setCheckable(true);

    set_fullscreen_check(presentation_.Fullscreen_Mode);
    set_controller_check(presentation_.Ctrlr_Overlay);
    game_menu_ = std::make_unique<GameMenu>(main_window, device_.board, *this);
    game_menu_->run_change = [this](const std::function<void()>& body) { host_.run_change(body); };
}

PopupMenu::~PopupMenu() {
    game_menu_.reset();
    delete menu_; // null when the main window has gone first and taken it along
}

QMenu& PopupMenu::pm_0_menu() {
    if (made_) return *menu_;
    made_ = true;
    menu_ = new QMenu(main_window_);
    menu_->setObjectName(QStringLiteral("pm_0_menu"));
    for (int i = 1; i <= kItemCount; ++i) menu_->addAction(item(i).action);
    menu_->setDefaultAction(item(1).action);
    QFont bold = menu_->font();
    bold.setBold(true);
    item(1).action->setFont(bold);
    connect(menu_, &QMenu::aboutToShow, this, &PopupMenu::pm_0_menuPopup);
    for (const Extra& e : std::exchange(pending_extras_, {}))
        if (e.row || e.make) insert_extra(e.row, e.make);
    return *menu_;
}

void PopupMenu::run(int i) {
    const MenuItem& it = item(i);
    if (it.handler && it.enabled()) (this->*it.handler)();
}

void PopupMenu::popup_at(const QPoint& global) {
    pm_0_menu().popup(global);
}

int PopupMenu::shortcut_item(int qt_key, Qt::KeyboardModifiers modifiers) const {
    // A shortcut is its key alone: Ctrl (the default bomb key) held with Esc does not exit.
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    for (int i = 1; i <= kItemCount; ++i)
        if (item(i).shortcut && item(i).shortcut == qt_key) return i;
    return 0;
}

bool PopupMenu::handle_shortcut(int qt_key, Qt::KeyboardModifiers modifiers) {
    const int i = shortcut_item(qt_key, modifiers);
    if (i) {
        run(i);
        return true;
    }
    // The extra rows' keys are + and - among them, which the keypad sends with its own
    // modifier: only Ctrl, Alt and Meta make them something else.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    for (auto& [key, row] : extra_shortcuts_)
        if (key == qt_key && row && row->isEnabled()) {
            row->trigger();
            return true;
        }
    return false;
}

QAction* PopupMenu::add_extra_row(QAction* row, int qt_key) {
    if (!row->parent()) row->setParent(this);
    if (qt_key) {
        add_extra_shortcut(qt_key, row);
        // Shown after a tab like the fourteen's, not registered with Qt (see above).
        row->setText(row->text() + '\t' + QKeySequence(qt_key).toString());
    }
    if (made_)
        insert_extra(row, nullptr);
    else
        pending_extras_.push_back({row, nullptr});
    return row;
}

QAction* PopupMenu::add_extra_menu(QMenu* submenu) {
    return add_extra_row(submenu->menuAction());
}

void PopupMenu::add_extra_menu(std::function<QMenu*()> make) {
    if (made_)
        insert_extra(nullptr, make);
    else
        pending_extras_.push_back({nullptr, std::move(make)});
}

void PopupMenu::insert_extra(QAction* row, const std::function<QMenu*()>& make) {
    QAction* exit_separator = item(13).action;
    if (!extras_separator_) extras_separator_ = menu_->insertSeparator(exit_separator);
    if (make) row = make()->menuAction();
    menu_->insertAction(exit_separator, row);
}

bool PopupMenu::is_extra_shortcut(int qt_key, Qt::KeyboardModifiers modifiers) const {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    for (auto& [key, row] : extra_shortcuts_)
        if (key == qt_key && row && row->isEnabled()) return true;
    return false;
}

void PopupMenu::add_extra_shortcut(int qt_key, QAction* row) {
    extra_shortcuts_.emplace_back(qt_key, row);
}

void PopupMenu::set_check(int i, bool on) {
    item(i).checked = on;
    item(i).action->setChecked(on);
}
void PopupMenu::set_fullscreen_check(bool on) {
    set_check(10, on);
}
void PopupMenu::set_splash_check(bool on) {
    set_check(11, on);
}
void PopupMenu::set_controller_check(bool on) {
    set_check(12, on);
}

void PopupMenu::pm_0_menuPopup() {
    for (auto& refresh : extra_popups_) refresh();
    set_splash_check(settings_.read_bool(setting::SplashScreen, host_.splash_box_ticked()));
    set_controller_check(presentation_.Ctrlr_Overlay);
    GameMenu& gm = *game_menu_;
    if (presentation_.Fullscreen_Mode && gm.Game_Menu_Open) {
        gm.Game_Menu_Open = false;
        gm.Vid_Display_Game_Menu();
    }
}

void PopupMenu::pm_1_aboutClick() {
    host_.show_about();
}
void PopupMenu::pm_2_readmeClick() {
    host_.shell_open(QStringLiteral("Readme.txt"));
}
void PopupMenu::pm_3_whatsnewClick() {
    host_.shell_open(QStringLiteral("Whatsnew.txt"));
}
void PopupMenu::pm_4_manualClick() {
    host_.show_manual();
}
void PopupMenu::pm_6_configClick() {
    host_.edit_config();
}
void PopupMenu::pm_7_keysClick() {
    host_.show_key_dialog();
}

void PopupMenu::pm_8_hiscoreClick() {
    host_.run_command(MenuCommand::ResetHiscores, false, [this] { reset_high_scores(device_); });
    host_.beep();
    // The beep alone is silent on most desktops.
    host_.notify(QStringLiteral("High scores reset"));
}

void PopupMenu::pm_10_fullscreenClick() {
    const bool on = !presentation_.Fullscreen_Mode;
    host_.run_command(MenuCommand::Fullscreen, on, [this, on] {
        set_fullscreen_check(on);
        game_menu_->Game_Menu_Open = false;
        game_menu_->Vid_Display_Game_Menu();
        set_fullscreen(device_, presentation_, on);
        host_.move_off_screen();
        host_.load_skin();
        host_.centre_on_screen();
    });
}

void PopupMenu::pm_11_splashscreenClick() {
    const bool on = !item(11).checked;
    set_splash_check(on);
    // A preference of the player's, not of the device: a playback does not take it along.
    host_.run_change([this, on] { settings_.write_bool(setting::SplashScreen, on); });
}

void PopupMenu::pm_12_controllerClick() {
    const bool on = !item(12).checked;
    set_controller_check(on);
    host_.run_command(MenuCommand::Overlays, on,
                      [this, on] { show_controller_overlays(device_, presentation_, on); });
}

void PopupMenu::pm_14_exitClick() {
    host_.quit();
}

} // namespace q50
