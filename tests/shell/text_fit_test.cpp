// Every text of every side window must be whole with the fonts this program is delivered with
// (Arial is Liberation Sans there): no label, check box, button or list entry cut at its
// edge, and no control reaching past its window.
#include "shell/game_menu.h"
#include "shell/program.h"
#include "shell/side_windows.h"

#include "../support/temp_dir.h"
#include "shell/core/memory_store.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace q50 {
namespace {

namespace fs = std::filesystem;

std::string where(const QWidget* w) {
    const QWidget* top = w->window();
    return (top->objectName().isEmpty() ? top->windowTitle() : top->objectName()).toStdString() +
           " / " + w->objectName().toStdString();
}

// Width the text needs in the widget's own font.
int text_width(const QWidget* w, const QString& text) {
    return w->fontMetrics().horizontalAdvance(text);
}

// The place a combo box gives the text of its selected entry.
int combo_text_room(const QComboBox* cb) {
    QStyleOptionComboBox opt;
    opt.initFrom(cb);
    opt.editable = cb->isEditable();
    opt.frame = cb->hasFrame();
    const QRect field =
        cb->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, cb);
    return field.width();
}

// Every problem found under `window`, one line each.
std::vector<std::string> cut_texts(QWidget* window) {
    std::vector<std::string> out;
    const QRect inside(QPoint(0, 0), window->size());
    auto report = [&](const QWidget* w, const QString& text, int need, int room) {
        out.push_back(where(w) + " \"" + text.toStdString() + "\" needs " + std::to_string(need) +
                      " px, has " + std::to_string(room));
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) && !qobject_cast<QComboBox*>(w)) continue;
        const QRect g(w->mapTo(window, QPoint(0, 0)), w->size());
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
            if (!inside.contains(g)) report(l, l->text(), g.right(), inside.right());
            const QSize need = l->sizeHint();
            if (need.width() > l->width()) report(l, l->text(), need.width(), l->width());
            if (l->fontMetrics().height() > l->height())
                report(l, l->text() + " (height)", l->fontMetrics().height(), l->height());
        } else if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty()) {
            if (!inside.contains(g)) report(b, b->text(), g.right(), inside.right());
            if (b->sizeHint().width() > b->width() &&
                text_width(b, b->text()) + 8 > b->width()) // a push button's style minimum aside
                report(b, b->text(), b->sizeHint().width(), b->width());
        } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            if (!inside.contains(g)) report(cb, "(list)", g.right(), inside.right());
            const int room = combo_text_room(cb);
            for (int i = 0; i < cb->count(); ++i)
                if (text_width(cb, cb->itemText(i)) > room)
                    report(cb, cb->itemText(i), text_width(cb, cb->itemText(i)), room);
        }
    }
    // No two texts lie over each other.
    std::vector<QWidget*> texts;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window)) continue;
        auto* l = qobject_cast<QLabel*>(w);
        auto* b = qobject_cast<QAbstractButton*>(w);
        if ((l && !l->text().isEmpty()) || (b && !b->text().isEmpty()) ||
            qobject_cast<QComboBox*>(w))
            texts.push_back(w);
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            if (QRect(texts[i]->mapTo(window, QPoint(0, 0)), texts[i]->size())
                    .intersects(QRect(texts[j]->mapTo(window, QPoint(0, 0)), texts[j]->size())))
                out.push_back(where(texts[i]) + " overlaps " + where(texts[j]));
    return out;
}

std::string lines(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& l : v) s += l + "\n";
    return s;
}

struct TextFit : ::testing::Test {
    test::TempDir dir;
    fs::path before = fs::current_path();
    std::unique_ptr<Program> program;

    void SetUp() override {
        fs::current_path(dir.path());
        test::write_file(dir.path() / "Config.ini", "[Common]\nGameWidth=498\nGameHeight=770\n"
                                                    "[VideoMode]\nTranspColor=$00ff00ff\n");
        ProgramOptions o;
        o.executable_dir = dir.path();
        o.current_dir = dir.path();
        o.store = std::make_unique<MemoryStore>();
        o.presenter = [](QWidget*, const QString&) {};
        program = std::make_unique<Program>(std::move(o));
        program->start();
    }
    void TearDown() override {
        program.reset();
        fs::current_path(before);
    }
};

TEST_F(TextFit, ArialIsTheDeliveredSubstitute) {
    const QFontInfo info(program->splash()->la_sound_select->font());
    EXPECT_EQ(info.family().toStdString(), "Liberation Sans")
        << "the metric-compatible font of fonts-liberation is missing";
}

TEST_F(TextFit, EveryTextOfEverySideWindowIsWhole) {
    SideWindows& side = *program->side_windows();
    std::vector<QWidget*> windows = {program->splash(), &side.about(), &side.keys_dialog(),
                                     &side.manual()};
    std::size_t texts = 0;
    for (QWidget* w : windows) {
        SCOPED_TRACE(w->windowTitle().toStdString());
        texts += w->findChildren<QLabel*>().size() + w->findChildren<QComboBox*>().size();
        EXPECT_EQ(lines(cut_texts(w)), "");
    }
    EXPECT_GT(texts, 30u); // the windows really were looked at
}

TEST_F(TextFit, TheInGameMenuRowsAreWhole) {
    GameMenu& menu = program->side_windows()->game_menu();
    menu.Game_Menu_Open = true;
    menu.Vid_Display_Game_Menu();
    int rows = 0;
    for (auto& row : menu.Menu_Label_Table) {
        if (!row || row->text().isEmpty()) continue;
        ++rows;
        EXPECT_LE(row->sizeHint().width(), row->width()) << row->text().toStdString();
    }
    EXPECT_GT(rows, 10);
    menu.Game_Menu_Open = false;
    menu.Vid_Display_Game_Menu();
}

} // namespace
} // namespace q50
