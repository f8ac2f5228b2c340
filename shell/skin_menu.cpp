#include "shell/skin_menu.h"

#include "shell/core/skin_folders.h"
#include "shell/popup_menu.h"
#include "shell/program.h"

#include <QActionGroup>

#include <system_error>

namespace q50 {

SkinMenu::SkinMenu(PopupMenu& menu, Program& program, const UrlOpener& open_url)
    : program_(program), open_url_(open_url) {
    // The skin folders are looked through when the menu opens, not at start-up.
    menu.add_extra_menu([this] { return &submenu(); });
    open_folder_ = new QAction(QStringLiteral("Open skins folder"), this);
    connect(open_folder_, &QAction::triggered, this, [this] { open_skins_folder(); });
    menu.add_extra_row(open_folder_);
    menu.on_extra_popup([this] { refresh(); });
}

QMenu& SkinMenu::submenu() {
    if (!submenu_) {
        submenu_ = std::make_unique<QMenu>(QStringLiteral("Skin"));
        refresh();
    }
    return *submenu_;
}

void SkinMenu::refresh() {
    QMenu& submenu = this->submenu();
    submenu.clear();
    auto* group = new QActionGroup(&submenu);
    auto add = [&](const QString& text, const std::string& name, bool checked) {
        QAction* row = submenu.addAction(text);
        row->setCheckable(true);
        row->setChecked(checked);
        group->addAction(row);
        connect(row, &QAction::triggered, this, [this, name] {
            if (program_.skin_from_command_line() || name != program_.skin_name())
                program_.use_skin(name);
        });
    };
    const bool from_command_line = program_.skin_from_command_line();
    add(delivered_caption(), std::string(), !from_command_line && program_.skin_dir().empty());
    for (const UserSkin& s : find_user_skins(skin_search_path()))
        add(QString::fromStdString(s.name), s.name,
            !from_command_line && s.dir == program_.skin_dir());
    if (from_command_line) {
        // The folder given with --skin is in use for this run; it is shown, not offered.
        QAction* row =
            submenu.addAction(QStringLiteral("%1 (this run)")
                                  .arg(QString::fromStdString(program_.skin_dir().string())));
        row->setCheckable(true);
        row->setChecked(true);
        row->setEnabled(false);
    }
}

std::vector<QAction*> SkinMenu::rows() const {
    if (!submenu_) return {};
    const QList<QAction*> all = submenu_->actions();
    return std::vector<QAction*>(all.begin(), all.end());
}

void SkinMenu::open_skins_folder() {
    const std::filesystem::path home = user_skins_home();
    std::error_code ec;
    std::filesystem::create_directories(home, ec);
    if (open_url_) open_url_(QUrl::fromLocalFile(QString::fromStdString(home.string())));
}

} // namespace q50
