#include "shell/side_windows.h"

#include "shell/game_menu.h"
#include "shell/notice.h"
#include "shell/program.h"
#include "shell/window_scale.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMessageBox>

#include "shell/core/skin_folders.h"

namespace q50 {

SideWindows::SideWindows(Program& program)
    : program_(program),
      // Config.ini as it is at start-up, as if the manual were made now.
      manual_settings_(
          read_manual_settings(program_.options().executable_dir, program_.options().current_dir)) {
    TForm1& main = program_.main_window();
    menu_ = std::make_unique<PopupMenu>(&main, program_.device(), program_.presentation(),
                                        program_.store(), *this);
    zoom_ = std::make_unique<ZoomMenu>(program_, *menu_);
    game_menu().view_scale = [&main] { return main.view_scale(); };
    lcd_menu_ = std::make_unique<LcdMenu>(
        main.lcd_look(), program_.store(), [this] { program_.presentation_changed(); }, &main);
    menu_->add_extra_menu([this] { return &lcd_menu_->menu(); });
    menu_->on_extra_popup([this] { lcd_menu_->refresh_checks(); });
    // Ahead of the skin rows, which stay the last of the block, next to Exit.
    comfort_ = std::make_unique<ComfortRows>(*menu_, program_);
    states_ = std::make_unique<StateRows>(*menu_, program_);
    skin_menu_ = std::make_unique<SkinMenu>(*menu_, program_, open_url);
    inform = [&main](const QString& text) {
        QMessageBox::information(&main, QApplication::applicationDisplayName(), text);
    };

    program_.input().on_game_menu_click = [this] { game_menu().btn_game_menu_topClick(); };
    main.refresh();
}

SideWindows::~SideWindows() {
    comfort_.reset();
    zoom_.reset();
    program_.input().on_game_menu_click = nullptr;
}

bool SideWindows::shortcut_key(QKeyEvent* e) {
    if (!menu_->is_shortcut(e->key(), e->modifiers()) &&
        !menu_->is_extra_shortcut(e->key(), e->modifiers()))
        return false;
    // A held F12 would flip the presentation back and forth with every repeat, a held F9
    // save a screenshot at every repeat.
    if (e->isAutoRepeat()) return true;
    return menu_->handle_shortcut(e->key(), e->modifiers());
}

AboutWindow& SideWindows::about() {
    if (!about_)
        about_ = std::make_unique<AboutWindow>([this](const QUrl& u) {
            if (open_url) open_url(u);
        });
    return *about_;
}

KeysDialog& SideWindows::keys_dialog() {
    if (!keys_) {
        keys_ =
            std::make_unique<KeysDialog>(program_.keys(), program_.store(), program_.device().board,
                                         &program_.main_window(), &program_.pads());
        keys_->run_change = [this](const std::function<void()>& body) {
            program_.through_driver(body);
        };
    }
    return *keys_;
}

ManualWindow& SideWindows::manual() {
    if (!manual_)
        manual_ = std::make_unique<ManualWindow>(
            manual_settings_,
            [this](const QString& text) { program_.messages().error(text.toStdString()); }, nullptr,
            &program_.picture_budget());
    return *manual_;
}

void SideWindows::show_about() {
    scale_side_window(about(), side_window_factor(program_.main_window()));
    about().open();
}
void SideWindows::show_manual() {
    // The pages at the device's own scale, so that they are as readable as the device.
    manual().set_scale(program_.main_window().scale(), program_.main_window().ratio());
    manual().open();
}
void SideWindows::show_key_dialog() {
    scale_side_window(keys_dialog(), side_window_factor(program_.main_window()));
    keys_dialog().open();
}

void SideWindows::shell_open(const QString& relative_name) {
    if (open_url) open_url(relative_file_url(relative_name));
}

void SideWindows::edit_config() {
    namespace fs = std::filesystem;
    auto open_file = [this](const fs::path& p) {
        if (open_url) open_url(QUrl::fromLocalFile(QString::fromStdString(p.string())));
    };
    if (!program_.skin_dir().empty()) {
        open_file(program_.skin_dir() / "Config.ini");
        return;
    }
    if (!program_.delivered_skin_read_only()) {
        shell_open(QStringLiteral("Config.ini"));
        return;
    }
    // The installed skin is nobody's to change: the user gets a copy of it to change instead.
    std::string error;
    const std::optional<UserSkin> copy =
        copy_delivered_skin(program_.options().executable_dir, user_skins_home(), &error);
    if (!copy) {
        program_.messages().error("The skin could not be copied for editing: " + error);
        return;
    }
    program_.use_skin(copy->name);
    if (inform)
        inform(QStringLiteral("The installed skin cannot be changed, so it was copied to\n%1\n\n"
                              "The copy is now in use (menu: Skin) and opens for editing; "
                              "every change you save shows at once.")
                   .arg(QString::fromStdString(copy->dir.string())));
    open_file(copy->dir / "Config.ini");
}

void SideWindows::beep() {
    QApplication::beep();
}
void SideWindows::notify(const QString& text) {
    show_notice(program_.main_window(), text);
}
void SideWindows::move_off_screen() {
    program_.main_window().move_off_screen();
}
void SideWindows::load_skin() {
    program_.Load_Skin();
}
void SideWindows::centre_on_screen() {
    program_.main_window().centre_on_screen();
}

bool SideWindows::splash_box_ticked() {
    TSplashForm* s = program_.splash();
    // A splash window switched off was not made; its box would have been unticked.
    if (!s) return !program_.splash_skipped();
    return s->chb_splashscreen->isChecked();
}

void SideWindows::board_changed() {
    program_.main_window().refresh();
}
void SideWindows::run_command(MenuCommand c, bool on, const std::function<void()>& body) {
    program_.run_command(c, on, body);
}

void SideWindows::run_change(const std::function<void()>& body) {
    program_.through_driver(body);
}

void SideWindows::quit() {
    program_.end(0);
}

} // namespace q50
