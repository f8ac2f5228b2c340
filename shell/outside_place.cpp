#include "shell/outside_place.h"

#include "shell/window_look.h"

#include <algorithm>

namespace q50 {

namespace {

constexpr int kGap = 8;

} // namespace

int room_beside(const QRect& device, const QRect& screen) {
    const int right = screen.right() - device.right() - 2 * kGap;
    const int left = device.left() - screen.left() - 2 * kGap;
    return std::max({right, left, 0});
}

QPoint outside_place(const QRect& device, const QSize& size, const QRect& screen, int row,
                     const QRect& avoid) {
    const int down = row * (size.height() + kGap / 2);
    const int across = row * (size.width() + kGap / 2);
    const QPoint tries[] = {
        {device.right() + 1 + kGap, device.top() + kGap + down},
        {device.left() - kGap - size.width(), device.top() + kGap + down},
        {device.left() + kGap + across, device.bottom() + 1 + kGap},
        {device.left() + kGap + across, device.top() - kGap - size.height()},
    };
    for (QPoint p : tries) {
        if (!screen.contains(QRect(p, size))) continue;
        if (QRect(p, size).intersects(avoid)) {
            const QPoint lower(p.x(), avoid.bottom() + 1 + kGap + down);
            if (screen.contains(QRect(lower, size))) return lower;
        }
        return p;
    }
    return {device.right() - kGap - size.width(), device.bottom() - kGap - size.height() - down};
}

QLabel* make_outside_label(QWidget* owner, const QString& object_name, bool bold) {
    // A tool-tip window: the main window's outline would cut a child off, and such a window
    // never takes the focus from the game.
    auto* label = new QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint);
    label->setObjectName(object_name);
    label->setWindowTitle(QStringLiteral("Quendrix50 ") + object_name);
    label->setAttribute(Qt::WA_ShowWithoutActivating);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setFont(arial(13, bold));
    label->setMargin(6);
    set_window_colour(label, 0x202020);
    set_text_colour(label, kWhite);
    return label;
}

} // namespace q50
