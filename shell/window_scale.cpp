#include "shell/window_scale.h"

#include "shell/main_window.h"
#include "shell/window_pictures.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace q50 {

namespace {

const char* const kFactor = "q50_scale";
const char* const kRect = "q50_design_rect";
const char* const kFont = "q50_design_font";
const char* const kPixmap = "q50_design_pixmap";

} // namespace

const char* const kPictureName = "q50_picture";

namespace {

QPixmap scaled_picture(const QPixmap& design, int factor) {
    if (factor == 1) return design;
    QPixmap p = design;
    int left = factor;
    // A double-size drawing (a device-pixel ratio of 2) is shown pixel for pixel.
    if (p.devicePixelRatio() >= 2 && factor % 2 == 0) {
        p.setDevicePixelRatio(1);
        left = factor / 2;
    } else {
        p.setDevicePixelRatio(1);
        p = p.scaled(design.deviceIndependentSize().toSize(), Qt::IgnoreAspectRatio,
                     Qt::FastTransformation);
    }
    if (left == 1) return p;
    return p.scaled(p.size() * left, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// The widgets a window's scale lays out: its own children, not those that a combo box, a
// button or a scroll area lays out itself.
template <typename Visit> void for_laid_out(QWidget& w, const Visit& visit) {
    visit(w);
    if (qobject_cast<QComboBox*>(&w) || qobject_cast<QAbstractButton*>(&w) ||
        qobject_cast<QAbstractScrollArea*>(&w))
        return;
    for (QObject* o : w.children())
        if (auto* child = qobject_cast<QWidget*>(o); child && !child->isWindow())
            for_laid_out(*child, visit);
}

// Kept once, before anything is scaled: a child's font inherited from a parent already scaled
// would be taken for its design font and scaled twice.
void remember_design(QWidget& w) {
    if (w.property(kRect).isValid()) return;
    w.setProperty(kRect, w.geometry());
    w.setProperty(kFont, w.font());
    if (auto* l = qobject_cast<QLabel*>(&w); l && !l->pixmap().isNull())
        w.setProperty(kPixmap, l->pixmap());
}

void scale_widget(QWidget& w, int factor, bool top) {
    const QRect r = w.property(kRect).toRect();
    if (top) {
        if (w.minimumSize() == w.maximumSize())
            w.setFixedSize(r.size() * factor);
        else
            w.resize(r.size() * factor);
    } else {
        w.setGeometry(r.x() * factor, r.y() * factor, r.width() * factor, r.height() * factor);
    }
    QFont f = w.property(kFont).value<QFont>();
    if (f.pixelSize() > 0)
        f.setPixelSize(f.pixelSize() * factor);
    else
        f.setPointSizeF(f.pointSizeF() * factor);
    w.setFont(f);
    if (auto* l = qobject_cast<QLabel*>(&w); l && w.property(kPixmap).isValid()) {
        // A built-in picture is taken at the factor: its double-size drawing where it has one.
        const QString name = w.property(kPictureName).toString();
        const QPixmap at = name.isEmpty() ? QPixmap() : window_picture(name, factor);
        l->setPixmap(
            scaled_picture(at.isNull() ? w.property(kPixmap).value<QPixmap>() : at, factor));
    }
}

} // namespace

int side_window_factor(const TForm1& main) {
    if (main.ratio() != 1.0) return 1;
    return std::max(1, int(std::floor(main.view_scale() + 1e-9)));
}

bool scale_side_window(QWidget& window, int factor) {
    factor = std::max(1, factor);
    const QVariant was = window.property(kFactor);
    if ((was.isValid() ? was.toInt() : 1) == factor) return false;
    for_laid_out(window, remember_design);
    for_laid_out(window, [&](QWidget& w) { scale_widget(w, factor, &w == &window); });
    window.setProperty(kFactor, factor);
    if (const QScreen* s = window.screen() ? window.screen() : QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        window.move(g.left() + (g.width() - window.width()) / 2,
                    g.top() + (g.height() - window.height()) / 2);
    }
    return true;
}

} // namespace q50
