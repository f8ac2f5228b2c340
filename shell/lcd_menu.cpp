#include "shell/lcd_menu.h"

#include "host/setting_names.h"

#include <QActionGroup>
#include <QInputDialog>

namespace q50 {

namespace {

// One of a group of choices: drawn as such, at most one checked.
QAction* choice_row(QObject* owner, QActionGroup& group, const QString& text, const QString& name) {
    auto* row = new QAction(text, owner);
    row->setObjectName(name);
    row->setCheckable(true);
    row->setActionGroup(&group);
    return row;
}

} // namespace

LcdMenu::LcdMenu(LcdLook& look, SettingsStore& store, std::function<void()> repaint,
                 QWidget* parent)
    : look_(look), store_(store), repaint_(std::move(repaint)), parent_(parent) {
    look_.set_shadow(store_.read_int(setting::LcdShadow, 0));
    look_.set_fade(store_.read_int(setting::LcdFade, 0));
    // A fade stored by hand may be none of the rows: then none is checked.
    shadows_ = new QActionGroup(this);
    fades_ = new QActionGroup(this);
    fades_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);

    for (int p : kShadowChoices) {
        const QString text =
            p == 0 ? QStringLiteral("Shadow off") : QStringLiteral("Shadow %1 %").arg(p);
        QAction* row = choice_row(this, *shadows_, text, QStringLiteral("lcd_shadow_%1").arg(p));
        connect(row, &QAction::triggered, this, [this, p] { choose_shadow(p); });
        shadow_rows_.emplace_back(p, row);
    }
    custom_row_ = choice_row(this, *shadows_, QString(), QStringLiteral("lcd_shadow_custom"));
    connect(custom_row_, &QAction::triggered, this, [this] { choose_custom_shadow(); });
    for (int ms : kFadeChoices) {
        const QString text =
            ms == 0 ? QStringLiteral("Response off") : QStringLiteral("Response %1 ms").arg(ms);
        QAction* row = choice_row(this, *fades_, text, QStringLiteral("lcd_fade_%1").arg(ms));
        connect(row, &QAction::triggered, this, [this, ms] { choose_fade(ms); });
        fade_rows_.emplace_back(ms, row);
    }
    ask_shadow = [this](int current) -> std::optional<int> {
        bool ok = false;
        const int v = QInputDialog::getInt(parent_, QStringLiteral("LCD shadow"),
                                           QStringLiteral("Unlit segments, in % of their ink:"),
                                           current, 0, kLcdShadowMax, 1, &ok);
        if (!ok) return std::nullopt;
        return v;
    };
    refresh_checks();
}

QMenu& LcdMenu::menu() {
    if (made_) return *menu_;
    made_ = true;
    // No underlined letter: no other row of the menu has one.
    menu_ = new QMenu(QStringLiteral("LCD"), parent_);
    menu_->setObjectName(QStringLiteral("lcd_menu"));
    // The rows and their groups go to the menu, as if it had made them.
    shadows_->setParent(menu_);
    fades_->setParent(menu_);
    for (auto& [p, row] : shadow_rows_) {
        row->setParent(menu_);
        menu_->addAction(row);
    }
    custom_row_->setParent(menu_);
    menu_->addAction(custom_row_);
    menu_->addSeparator();
    for (auto& [ms, row] : fade_rows_) {
        row->setParent(menu_);
        menu_->addAction(row);
    }
    return *menu_;
}

LcdMenu::~LcdMenu() {
    delete menu_; // null when its parent has gone first and taken it along
}

void LcdMenu::choose_shadow(int percent) {
    const int before = look_.shadow();
    look_.set_shadow(percent);
    if (look_.shadow() != before) store_.write_int(setting::LcdShadow, look_.shadow());
    refresh_checks();
    if (repaint_) repaint_();
}

void LcdMenu::choose_fade(int ms) {
    const int before = look_.fade();
    look_.set_fade(ms);
    if (look_.fade() != before) store_.write_int(setting::LcdFade, look_.fade());
    refresh_checks();
    if (repaint_) repaint_();
}

void LcdMenu::choose_custom_shadow() {
    const std::optional<int> v = ask_shadow ? ask_shadow(look_.shadow()) : std::nullopt;
    if (v)
        choose_shadow(*v);
    else
        refresh_checks(); // Qt flipped the row's check mark by itself
}

void LcdMenu::refresh_checks() {
    bool preset = false;
    for (auto& [p, row] : shadow_rows_) {
        row->setChecked(p == look_.shadow());
        preset = preset || p == look_.shadow();
    }
    custom_row_->setChecked(!preset);
    custom_row_->setText(preset ? QStringLiteral("Shadow of your own...")
                                : QStringLiteral("Shadow %1 % (your own)...").arg(look_.shadow()));
    for (auto& [ms, row] : fade_rows_) row->setChecked(ms == look_.fade());
}

} // namespace q50
