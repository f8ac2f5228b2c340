#include "shell/notice.h"

#include "shell/main_window.h"
#include "shell/outside_place.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace q50 {

void show_notice(QWidget& over, const QString& text, int milliseconds) {
    static QPointer<QLabel> shown;
    delete shown.data();
    QLabel* label = make_outside_label(&over, QStringLiteral("notice"), false);
    label->setAttribute(Qt::WA_DeleteOnClose);
    label->setText(text);
    label->adjustSize();
    // Beside the device, below the pause mark if that shows: over it, a notice hid the menu
    // button or the device's own captions for as long as it showed.
    const auto* main = qobject_cast<const TForm1*>(&over);
    const QRect device =
        main ? main->device_on_screen() : QRect(over.mapToGlobal(QPoint(0, 0)), over.size());
    const QScreen* screen = QGuiApplication::screenAt(device.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int room = room_beside(device, area);
    // A long line (a screenshot's path) is folded to fit beside the device where it can.
    if (label->width() > room && room >= 160) {
        label->setWordWrap(true);
        label->setFixedWidth(room);
        label->setFixedHeight(label->heightForWidth(room));
    }
    const int row = main && main->mark_window() && main->mark_window()->isVisible() ? 1 : 0;
    label->move(
        outside_place(device, label->size(), area, row, main ? main->logo_on_screen() : QRect()));
    label->show();
    shown = label;
    QTimer::singleShot(milliseconds, label, &QLabel::close);
}

} // namespace q50
