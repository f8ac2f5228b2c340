#include "shell/keys_dialog.h"

#include "shell/core/memory_store.h"
#include "side_windows_support.h"

#include <gtest/gtest.h>

#include <QCloseEvent>

namespace q50 {
namespace {

using testing::kRedText;
using testing::send_key;

const QColor kWhiteText(255, 255, 255);

class KeysDialogTest : public ::testing::Test {
  protected:
    KeysDialogTest() {
        testing::qt_app();
        keys.Keys_Load(store, board);
        dialog = std::make_unique<KeysDialog>(keys, store, board, &main_window);
        store.on_write = [this](const std::string& n, const std::string& v) {
            writes.push_back(n + "=" + v);
        };
    }

    QColor label_colour(int n) const {
        return dialog->Key_Label[std::size_t(n)]->palette().color(QPalette::WindowText);
    }
    std::vector<int> red_labels() const {
        std::vector<int> out;
        for (int n = 1; n <= 7; ++n)
            if (label_colour(n) == kRedText) out.push_back(n);
        return out;
    }
    void choose(int n, const QString& text) {
        QComboBox* cb = dialog->Key_Combo[std::size_t(n)];
        const int i = cb->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        cb->setCurrentIndex(i);
    }
    QString shown(int n) const { return dialog->Key_Combo[std::size_t(n)]->currentText(); }

    MemoryStore store;
    Board board;
    KeyAssignments keys;
    QWidget main_window;
    std::unique_ptr<KeysDialog> dialog;
    std::vector<std::string> writes;
};

TEST_F(KeysDialogTest, ListsAreCopiesOfTheFirstAndShowTheBindings) {
    EXPECT_EQ(dialog->windowTitle(), "Key settings");
    EXPECT_EQ(dialog->size(), QSize(448, 195));
    EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(8, 41, 82));
    QComboBox* first = dialog->Key_Combo[1];
    ASSERT_EQ(first->count(), 44);
    EXPECT_EQ(first->itemText(0), "0");
    EXPECT_EQ(first->itemText(10), "A");
    EXPECT_EQ(first->itemText(43), "<SPACEBAR>");
    for (int n = 2; n <= 7; ++n) {
        QComboBox* cb = dialog->Key_Combo[std::size_t(n)];
        ASSERT_EQ(cb->count(), 44);
        for (int i = 0; i < 44; ++i) EXPECT_EQ(cb->itemText(i), first->itemText(i));
        EXPECT_FALSE(cb->isEditable());
    }
    const QString defaults[8] = {"", "1", "2", "3", "5", "<LEFT ARROW>", "<RIGHT ARROW>", "<CTRL>"};
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(shown(n), defaults[n]) << n;
    EXPECT_TRUE(red_labels().empty());
    EXPECT_TRUE(dialog->btn_accept->isEnabled());
    EXPECT_EQ(dialog->btn_accept->text(), "- ACCEPT -");
    EXPECT_EQ(dialog->btn_accept->geometry(), QRect(183, 162, 82, 25));
    EXPECT_EQ(dialog->Key_Combo[4]->geometry().topLeft(), QPoint(8, 125));
    // The right column keeps to the right edge however wide the font makes the lists.
    EXPECT_EQ(dialog->Key_Combo[7]->geometry().right() + 1, 440);
    EXPECT_EQ(dialog->Key_Combo[7]->y(), 93);
    EXPECT_GE(dialog->Key_Combo[7]->width(), 120);
    EXPECT_EQ(dialog->Key_Label[5]->geometry().right() + 1, dialog->Key_Combo[5]->x() - 8);
}

TEST_F(KeysDialogTest, TwoEqualKeysTurnBothLabelsRedUntilOneChangesBack) {
    choose(2, "1");
    EXPECT_EQ(red_labels(), (std::vector<int>{1, 2}));
    EXPECT_FALSE(dialog->btn_accept->isEnabled());

    dialog->open();
    send_key(dialog->Key_Combo[2], Qt::Key_Return); // Enter does nothing while refused
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(keys.Key_Binding[2].Choice, 3);

    choose(2, "9");
    EXPECT_TRUE(red_labels().empty());
    EXPECT_EQ(label_colour(1), kWhiteText);
    EXPECT_TRUE(dialog->btn_accept->isEnabled());
}

TEST_F(KeysDialogTest, ThreeEqualKeysTurnAllThreeRedAndTwoPairsTurnFour) {
    choose(1, "A");
    choose(4, "A");
    choose(7, "A");
    EXPECT_EQ(red_labels(), (std::vector<int>{1, 4, 7}));
    EXPECT_FALSE(dialog->btn_accept->isEnabled());
    choose(7, "<SPACEBAR>");
    choose(5, "<SPACEBAR>");
    EXPECT_EQ(red_labels(), (std::vector<int>{1, 4, 5, 7}));
    choose(1, "B");
    choose(5, "<LEFT ARROW>");
    EXPECT_TRUE(red_labels().empty());
    EXPECT_TRUE(dialog->btn_accept->isEnabled());
}

TEST_F(KeysDialogTest, AcceptByButtonStoresAllSevenRebuildsHintsAndEnablesTheMainWindow) {
    dialog->open();
    EXPECT_FALSE(main_window.isEnabled());
    choose(7, "<SPACEBAR>");
    choose(1, "Q");
    dialog->btn_accept->click();
    EXPECT_EQ(writes, (std::vector<std::string>{"Key1=27", "Key2=3", "Key3=4", "Key4=6", "Key5=39",
                                                "Key6=40", "Key7=44"}));
    EXPECT_EQ(keys.Key_Binding[7].Choice, 44);
    EXPECT_EQ(keys.Key_Binding[7].Code, 32);
    EXPECT_EQ(keys.Key_Binding[1].Code, 'Q');
    EXPECT_EQ(board.get("btn_bomb_top").hint, "click or press 'spacebar'");
    EXPECT_EQ(board.get("btn_game_a_top").hint,
              "click or press 'Q' to start game A (hold to view highscore)");
    EXPECT_TRUE(main_window.isEnabled());
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(KeysDialogTest, EnterAcceptsFromAFocusedList) {
    dialog->open();
    choose(5, "J");
    send_key(dialog->Key_Combo[5], Qt::Key_Enter);
    EXPECT_EQ(keys.Key_Binding[5].Choice, 20);
    EXPECT_EQ(board.get("btn_ctrlr_overlay_left").hint, "click or press 'J'");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(main_window.isEnabled());
}

TEST_F(KeysDialogTest, EscKeepsBindingsAndHintsButTheListsKeepTheUnacceptedChoice) {
    const std::string hint = board.get("btn_open").hint;
    dialog->open();
    choose(4, "2"); // clashes with Game B
    send_key(dialog->Key_Combo[4], Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(main_window.isEnabled());
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(keys.Key_Binding[4].Choice, 6);
    EXPECT_EQ(keys.Key_Binding[4].Code, '5');
    EXPECT_EQ(board.get("btn_open").hint, hint);

    dialog->open();
    EXPECT_EQ(shown(4), "2");
    EXPECT_EQ(red_labels(), (std::vector<int>{2, 4}));
    EXPECT_FALSE(dialog->btn_accept->isEnabled());
}

TEST_F(KeysDialogTest, ClosedByTheWindowSystemTheMainWindowIsEnabledAgain) {
    dialog->open();
    ASSERT_FALSE(main_window.isEnabled());
    EXPECT_TRUE(dialog->close());
    EXPECT_TRUE(main_window.isEnabled());
    EXPECT_TRUE(writes.empty());
}

TEST_F(KeysDialogTest, TypingALetterInAListSelectsItAndRunsTheCheck) {
    dialog->open();
    // The list's own search goes by the key's text.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, QStringLiteral("2"));
    QCoreApplication::sendEvent(dialog->Key_Combo[3], &press);
    EXPECT_EQ(shown(3), "2");
    EXPECT_EQ(red_labels(), (std::vector<int>{2, 3}));
}

TEST_F(KeysDialogTest, ActivationPutsTheFocusOnTheFirstList) {
    main_window.show();
    dialog->open();
    dialog->Key_Combo[6]->setFocus();
    QApplication::setActiveWindow(&main_window);
    QApplication::setActiveWindow(dialog.get());
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog->isActiveWindow());
    EXPECT_EQ(dialog->focusWidget(), dialog->Key_Combo[1]);
}

} // namespace
} // namespace q50
