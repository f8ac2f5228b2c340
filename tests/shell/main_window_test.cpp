#include "shell/main_window.h"

#include "qt_events.h"
#include "shell/core/rig.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QPaintEvent>
#include <QToolTip>

#include "../support/mouse_buttons.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace q50 {
namespace {

using testing::send_key;
using testing::send_mouse;

struct RecordingTarget : ButtonTarget {
    std::int32_t state = 4;
    bool fullscreen = false;
    std::vector<std::string> calls;
    std::int32_t game_state() const override { return state; }
    bool fullscreen_mode() const override { return fullscreen; }
    void perform(ButtonAction a) override { calls.emplace_back(action_name(a)); }
};

using Calls = std::vector<std::string>;

struct MainWindow : ::testing::Test, Rig {
    RecordingTarget target;
    InputDispatch input{target, keys};
    std::int64_t wall = 0;
    RealtimeDriver driver{dev, [this] { return wall; }};
    WindowModel model;
    std::unique_ptr<TForm1> form;

    void SetUp() override {
        keys.Keys_Load(store, dev.board);
        model.client_width = 498;
        model.client_height = 770;
        model.key_on = true;
        model.colour = model.key_colour = 0x00ff00ff;
        form = std::make_unique<TForm1>(dev.board, model, input, driver);
        form->move_off_screen();
    }
    std::vector<std::string> take() { return std::exchange(target.calls, {}); }
    QPoint centre(SegmentId control) {
        const Rect r = dev.board.get(control).rect;
        return {r.left + r.width / 2, r.top + r.height / 2};
    }
    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        send_mouse(form.get(), QEvent::MouseButtonPress, p, b, b);
    }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        send_mouse(form.get(), QEvent::MouseButtonRelease, p, b, Qt::NoButton);
    }
};

TEST_F(MainWindow, IsBorderlessAndStaysOffScreenUntilCentred) {
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->on_screen());
    EXPECT_LT(form->pos().x(), 0);
    EXPECT_LT(form->pos().y(), 0);
    form->centre_on_screen();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->size(), QSize(498, 770));
    const QRect screen = form->screen()->geometry();
    EXPECT_EQ(form->pos(), QPoint((screen.width() - 498) / 2, (screen.height() - 770) / 2));
}

TEST_F(MainWindow, DefaultKeysThroughQtEvents) {
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        Calls calls;
    } rows[] = {
        {Qt::Key_1, Qt::NoModifier, {"Inp_game_a_down", "Inp_game_a_up"}},
        {Qt::Key_2, Qt::NoModifier, {"Inp_game_b_down", "Inp_game_b_up"}},
        {Qt::Key_3, Qt::NoModifier, {"Inp_time_down", "Inp_time_up"}},
        {Qt::Key_5, Qt::NoModifier, {"Inp_acl_down", "Inp_acl_up"}},
        {Qt::Key_Left, Qt::NoModifier, {"Inp_left_down", "Inp_left_up"}},
        {Qt::Key_Right, Qt::NoModifier, {"Inp_right_down", "Inp_right_up"}},
        {Qt::Key_Control, Qt::ControlModifier, {"Inp_bomb_down", "Inp_bomb_up"}},
        // Shift, Ctrl and Alt held with a key do not change it.
        {Qt::Key_Left, Qt::ShiftModifier | Qt::AltModifier, {"Inp_left_down", "Inp_left_up"}},
        {Qt::Key_1, Qt::KeypadModifier, {}},
        {Qt::Key_4, Qt::NoModifier, {}},
    };
    for (const auto& r : rows) {
        send_key(form.get(), QEvent::KeyPress, r.key, r.mods);
        send_key(form.get(), QEvent::KeyRelease, r.key, r.mods);
        EXPECT_EQ(take(), r.calls) << r.key;
    }
}

TEST_F(MainWindow, ChangedAssignmentsReachTheWindow) {
    store.write_int("Key7", 44);
    store.write_int("Key4", 11);
    keys.Keys_Load(store, dev.board);
    send_key(form.get(), QEvent::KeyPress, Qt::Key_Space);
    send_key(form.get(), QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier);
    send_key(form.get(), QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(take(), (Calls{"Inp_bomb_down", "Inp_acl_down"}));
    EXPECT_EQ(dev.board.get("btn_open").hint, "click or press 'A' to open the game");
}

TEST_F(MainWindow, AutoRepeatRepeatsDownAndOnlyTheLastReleaseCounts) {
    // A held key on X11: press, then release/press pairs flagged as repeats, then the release.
    send_key(form.get(), QEvent::KeyPress, Qt::Key_Right);
    for (int i = 0; i < 3; ++i) {
        send_key(form.get(), QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, true);
        send_key(form.get(), QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, true);
    }
    send_key(form.get(), QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_EQ(take(), (Calls{"Inp_right_down", "Inp_right_down", "Inp_right_down", "Inp_right_down",
                             "Inp_right_up"}));
}

// A host that takes Escape and 1 as its shortcuts and keeps where the context menu was asked.
struct ShortcutHost : MainWindowHost {
    std::vector<int> taken;
    QPoint menu_at;
    bool shortcut_key(QKeyEvent* e) override {
        if (e->key() != Qt::Key_Escape && e->key() != Qt::Key_1) return false;
        taken.push_back(e->key());
        return true;
    }
    void context_menu_at(const QPoint& global) override { menu_at = global; }
};

TEST_F(MainWindow, ShortcutKeysComeAheadOfTheGameKeys) {
    ShortcutHost host;
    form->set_host(&host);
    std::vector<int>& taken = host.taken;
    send_key(form.get(), QEvent::KeyPress, Qt::Key_1);
    send_key(form.get(), QEvent::KeyPress, Qt::Key_2);
    send_key(form.get(), QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_EQ(taken, (std::vector<int>{Qt::Key_1, Qt::Key_Escape}));
    EXPECT_EQ(take(), (Calls{"Inp_game_b_down"}));
}

TEST_F(MainWindow, InputIsHandledAtTheCurrentDeviceTime) {
    wall = 777;
    send_key(form.get(), QEvent::KeyPress, Qt::Key_1);
    EXPECT_EQ(dev.now(), 777);
}

TEST_F(MainWindow, MouseOnEveryButtonOfTheTable) {
    dev.board.show("btn_ctrlr_overlay_left");
    dev.board.show("btn_ctrlr_overlay_right");
    const auto& rows = test::mouse_buttons();
    for (const auto& r : rows) {
        press(centre(r.control));
        release(centre(r.control));
        EXPECT_EQ(take(), r.calls) << r.control.name();
        // The right button does nothing but ask for the context menu.
        press(centre(r.control), Qt::RightButton);
        release(centre(r.control), Qt::RightButton);
        EXPECT_TRUE(take().empty()) << r.control.name();
    }
    // The movement pad lies under the overlays' ends; in its middle it is no button.
    const Rect pad = dev.board.get("btn_move_top").rect;
    const QPoint middle(pad.left + pad.width / 2, pad.top + 5);
    press(middle);
    release(middle);
    EXPECT_TRUE(take().empty());
}

TEST_F(MainWindow, ReleaseGoesToThePressedButtonWhereverThePointerIs) {
    press(centre("btn_bomb_top"));
    send_mouse(form.get(), QEvent::MouseMove, {5000, 5000}, Qt::NoButton, Qt::LeftButton);
    release({5000, 5000});
    EXPECT_EQ(take(), (Calls{"Inp_bomb_down", "Inp_bomb_up"}));
}

TEST_F(MainWindow, ContextMenuHookGetsTheRightClick) {
    ShortcutHost host;
    form->set_host(&host);
    QContextMenuEvent e(QContextMenuEvent::Mouse, {10, 20}, {110, 220});
    QApplication::sendEvent(form.get(), &e);
    EXPECT_EQ(host.menu_at, QPoint(110, 220));
    EXPECT_TRUE(take().empty());
}

TEST_F(MainWindow, DragByTheBodyMovesTheWindowWithThePointer) {
    form->centre_on_screen();
    const QPoint start = form->pos();
    const QPoint body(250, 600); // on the body, between the buttons
    ASSERT_EQ(control_at(dev.board, body.x(), body.y())->name, "im_background_bottom");
    press(body);
    // The pointer moves 30 right and 12 up on the screen.
    const QPointF global = QPointF(form->mapToGlobal(body)) + QPointF(30, -12);
    QMouseEvent move(QEvent::MouseMove, QPointF(body) + QPointF(30, -12), global, Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &move);
    EXPECT_EQ(form->pos(), start + QPoint(30, -12));
    release(body);
    EXPECT_TRUE(take().empty());

    // In fullscreen mode nothing moves.
    target.fullscreen = true;
    const QPoint here = form->pos();
    press(body);
    QMouseEvent move2(QEvent::MouseMove, QPointF(body) + QPointF(40, 40),
                      QPointF(form->mapToGlobal(body)) + QPointF(40, 40), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &move2);
    EXPECT_EQ(form->pos(), here);
}

TEST_F(MainWindow, CursorsAndHintsFollowTheControls) {
    form->centre_on_screen();
    send_mouse(form.get(), QEvent::MouseMove, centre("btn_game_a_top"), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);
    send_mouse(form.get(), QEvent::MouseMove, centre("btn_alarm_top"), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form->cursor().shape(), Qt::WhatsThisCursor);
    send_mouse(form.get(), QEvent::MouseMove, {250, 600}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);

    auto tip_at = [&](QPoint p) {
        QHelpEvent e(QEvent::ToolTip, p, form->mapToGlobal(p));
        QApplication::sendEvent(form.get(), &e);
        // Controls without a hint leave the event to the window system (no tip).
        return e.isAccepted() && QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tip_at(centre("btn_game_a_top")),
              "click or press '1' to start game A (hold to view highscore)");
    EXPECT_EQ(tip_at(centre("btn_bomb_top")), "click or press 'ctrl' key");
    EXPECT_EQ(tip_at(centre("btn_alarm_top")), "button disabled");
    EXPECT_EQ(tip_at({250, 600}), QString());
}

TEST_F(MainWindow, RepaintsOnlyWhenTheBoardChanged) {
    form->centre_on_screen();
    const std::uint64_t before = form->paints();
    driver.poll();
    driver.poll();
    EXPECT_EQ(form->paints(), before);
    driver.run([&] { dev.board.show("im_pelko_3_up"); });
    EXPECT_EQ(form->paints(), before + 1);
    driver.run([&] { dev.board.show("im_pelko_3_up"); });
    EXPECT_EQ(form->paints(), before + 1);
}

TEST_F(MainWindow, SeeThroughPixelsAreOutsideTheWindowShape) {
    // A body picture with a see-through corner: the window's colour is the key colour.
    auto body = std::make_shared<Image>(498, 770, argb(255, 90, 90, 100));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 50; ++x) body->at(x, y) = argb(255, 255, 0, 255);
    dev.board.set_picture(dev.board.get("im_background_bottom"), body);
    dev.board.hide("im_background_front");
    dev.board.hide("btn_open");
    form->centre_on_screen();
    const Image& f = form->frame();
    ASSERT_EQ(f.width, 498);
    EXPECT_EQ(alpha_of(f.at(10, 10)), 0);
    EXPECT_FALSE(form->shape().contains(QPoint(10, 10)));
    EXPECT_TRUE(form->shape().contains(QPoint(60, 10)));
    EXPECT_TRUE(form->shape().contains(QPoint(10, 700)));
    EXPECT_EQ(form->mask(), form->shape());
    EXPECT_TRUE(form->testAttribute(Qt::WA_TranslucentBackground));
}

// The paint regions the window receives.
struct PaintLog : QObject {
    std::vector<QRegion> regions;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) regions.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
};

TEST_F(MainWindow, OnlyTheChangedPartsAreRepaintedAtEveryRatio) {
    // Two segments far apart, switched in one step: two rectangles, not one around both.
    for (const double ratio : {1.0, 2.0, 1.5}) {
        SCOPED_TRACE(ratio);
        form->set_scale(ratio, ratio); // one design pixel is one window pixel
        form->centre_on_screen();
        QCoreApplication::processEvents();
        Segment& a = dev.board.get("im_pelko_3_up");
        Segment& b = dev.board.get("im_pelko_1_up");
        driver.run([&] {
            dev.board.hide(a);
            dev.board.hide(b);
        });
        QCoreApplication::processEvents();
        driver.run([&] {
            dev.board.set_rect(a, Rect{11, 201, 21, 21});
            dev.board.set_rect(b, Rect{401, 601, 21, 21});
            dev.board.show(a);
            dev.board.show(b);
        });
        PaintLog log;
        form->installEventFilter(&log);
        QCoreApplication::processEvents();
        form->removeEventFilter(&log);
        ASSERT_EQ(log.regions.size(), 1u);
        const QRegion& r = log.regions[0];
        EXPECT_TRUE(r.contains(QPoint(20, 210)));
        EXPECT_TRUE(r.contains(QPoint(410, 610)));
        EXPECT_FALSE(r.contains(QPoint(200, 400))) << "one rectangle around both";
        EXPECT_EQ(r.rectCount(), 2);
        driver.run([&] {
            dev.board.hide(a);
            dev.board.hide(b);
        });
        QCoreApplication::processEvents();
    }
}

TEST_F(MainWindow, FullscreenRepaintsTheChangedPartsApartToo) {
    // Covering the 800x800 offscreen screen at 100 % and at a fractional scale: the device's
    // body is one part of the scene, and two segments far apart on it two small repaints.
    dev.board.set_picture(dev.board.get("im_background_bottom"),
                          std::make_shared<Image>(498, 770, argb(255, 90, 90, 100)));
    for (const char* name : {"im_pelko_3_up", "im_pelko_1_up"})
        dev.board.set_picture(dev.board.named(name),
                              std::make_shared<Image>(21, 21, argb(255, 10, 10, 10)));
    for (const double scale : {1.0, 1.5}) {
        SCOPED_TRACE(scale);
        model.key_on = false;
        model.client_width = model.client_height = int(std::ceil(800 / scale));
        form->set_scale(scale, 1.0);
        form->centre_on_screen();
        QCoreApplication::processEvents();
        Segment& a = dev.board.get("im_pelko_3_up");
        Segment& b = dev.board.get("im_pelko_1_up");
        driver.run([&] {
            dev.board.set_rect(a, Rect{11, 201, 21, 21});
            dev.board.set_rect(b, Rect{401, 451, 21, 21});
            dev.board.hide(a);
            dev.board.hide(b);
        });
        QCoreApplication::processEvents();
        driver.run([&] {
            dev.board.show(a);
            dev.board.show(b);
        });
        PaintLog log;
        form->installEventFilter(&log);
        QCoreApplication::processEvents();
        form->removeEventFilter(&log);
        ASSERT_EQ(log.regions.size(), 1u);
        const QRegion& r = log.regions[0];
        const auto at = [scale](int x, int y) { return QPoint(int(x * scale), int(y * scale)); };
        EXPECT_TRUE(r.contains(at(20, 210)));
        EXPECT_TRUE(r.contains(at(410, 460)));
        EXPECT_FALSE(r.contains(at(200, 330))) << "one rectangle around both";
        EXPECT_EQ(r.rectCount(), 2);
        EXPECT_EQ(form->shown_frame().at(int(20 * scale), int(210 * scale)), argb(255, 10, 10, 10));
        driver.run([&] {
            dev.board.hide(a);
            dev.board.hide(b);
        });
        QCoreApplication::processEvents();
    }
}

TEST_F(MainWindow, TheShapeAtARatioIsAValidRegionOfWholeWindowPixels) {
    // A see-through triangle in the corner: at 3 physical pixels a design pixel and 2 a window
    // pixel, its rows end on odd physical rows, where window rows take two physical rows' runs.
    auto body = std::make_shared<Image>(498, 770, argb(255, 90, 90, 100));
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120 - y; ++x) body->at(x, y) = argb(255, 255, 0, 255);
    dev.board.set_picture(dev.board.get("im_background_bottom"), body);
    dev.board.hide("im_background_front");
    dev.board.hide("btn_open");
    for (const auto& [scale, ratio] : {std::pair{3.0, 2.0}, std::pair{2.25, 1.5}}) {
        SCOPED_TRACE(scale);
        form->set_scale(scale, ratio);
        form->centre_on_screen();
        const Image& f = form->shown_frame();
        // A window pixel belongs when any physical pixel under it is not see-through; built
        // by unions, which always give a valid region.
        QRegion expected;
        const int w = form->width(), h = form->height();
        for (int wy = 0; wy < h; ++wy) {
            const int y0 = int(std::floor(wy * ratio)),
                      y1 = std::min(f.height, int(std::ceil((wy + 1) * ratio)));
            int start = -1;
            for (int wx = 0; wx <= w; ++wx) {
                bool in = false;
                const int x0 = int(std::floor(wx * ratio)),
                          x1 = std::min(f.width, int(std::ceil((wx + 1) * ratio)));
                for (int y = y0; y < y1 && !in && wx < w; ++y)
                    for (int x = x0; x < x1 && !in; ++x) in = alpha_of(f.at(x, y)) != 0;
                if (in && start < 0) start = wx;
                if (!in && start >= 0) {
                    expected += QRect(start, wy, wx - start, 1);
                    start = -1;
                }
            }
        }
        EXPECT_FALSE(expected.contains(QPoint(5, 5)));
        EXPECT_TRUE(expected.contains(QPoint(300, 5)));
        EXPECT_EQ(form->shape(), expected);
        EXPECT_EQ(form->mask(), expected);
    }
}

TEST_F(MainWindow, FullscreenIsOpaqueAndUnmasked) {
    model.key_on = false;
    model.colour = 0;
    model.client_width = 800;
    model.client_height = 600;
    form->centre_on_screen();
    EXPECT_TRUE(form->mask().isEmpty());
    EXPECT_FALSE(form->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(form->frame().width, 800);
    EXPECT_EQ(alpha_of(form->frame().at(799, 599)), 255);
}

} // namespace
} // namespace q50
