#pragma once
// The context menu's "Skin" submenu (the delivered skin first, then the user's own, the one in
// use checked) and its "Open skins folder" row. The list is read afresh each time the menu
// opens, so a folder made a moment ago is offered at once.
#include "shell/shell_open.h"

#include <QAction>
#include <QMenu>
#include <QObject>

#include <memory>
#include <string>
#include <vector>

namespace q50 {

class PopupMenu;
class Program;

class SkinMenu : public QObject {
    Q_OBJECT
  public:
    SkinMenu(PopupMenu& menu, Program& program, const UrlOpener& open_url);

    // Made with its rows when first asked for (the context menu's first popup).
    QMenu& submenu();
    QAction& open_folder_row() { return *open_folder_; }
    // Rebuilds the rows of the submenu from the skin folders.
    void refresh();
    // The rows' texts as shown ("Delivered skin", then the folders' names).
    std::vector<QAction*> rows() const;

    static QString delivered_caption() { return QStringLiteral("Delivered skin"); }

  private:
    void open_skins_folder();

    Program& program_;
    const UrlOpener& open_url_;
    std::unique_ptr<QMenu> submenu_;
    QAction* open_folder_ = nullptr;
};

} // namespace q50
