#include "shell/notice.h"

#include "shell/window_look.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>

namespace q50 {

void show_notice(QWidget& over, const QString& text, int milliseconds) {
    static QPointer<QLabel> shown;
    delete shown.data();
    // A window of its own: the main window's outline would cut a child off, and a tool-tip
    // window never takes the focus from the game.
    auto* label = new QLabel(text, &over, Qt::ToolTip | Qt::FramelessWindowHint);
    label->setObjectName(QStringLiteral("notice"));
    label->setAttribute(Qt::WA_DeleteOnClose);
    label->setAttribute(Qt::WA_ShowWithoutActivating);
    label->setFont(arial(13));
    label->setMargin(6);
    set_window_colour(label, 0x202020);
    set_text_colour(label, kWhite);
    label->adjustSize();
    label->move(over.mapToGlobal(QPoint(8, 8)));
    label->show();
    shown = label;
    QTimer::singleShot(milliseconds, label, &QLabel::close);
}

} // namespace q50
