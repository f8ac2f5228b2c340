#include "shell/main_window.h"

#include "shell/key_codes.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <cmath>
#include <utility>

namespace q50 {

namespace {

MouseButton button_of(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Other;
    }
}

Qt::CursorShape cursor_shape(Cursor c) {
    switch (c) {
    case Cursor::Hand:
        return Qt::PointingHandCursor;
    case Cursor::Help:
        return Qt::WhatsThisCursor;
    case Cursor::Arrow:
        break;
    }
    return Qt::ArrowCursor;
}

bool on_wayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QScreen* primary_screen() {
    return QGuiApplication::primaryScreen();
}

} // namespace

TForm1::TForm1(Board& board, const WindowModel& window, InputDispatch& input,
               RealtimeDriver& driver)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), board_(board), window_(window),
      input_(input), driver_(driver) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    input_.set_window(this);
    connect(&driver_, &RealtimeDriver::stepped, this, &TForm1::refresh);
}

void TForm1::set_left(int left) {
    window_pos_.setX(left);
    move(window_pos_);
}

void TForm1::set_top(int top) {
    window_pos_.setY(top);
    move(window_pos_);
}

void TForm1::apply_window_model() {
    // See-through pixels need a window with an alpha channel; the visual is chosen when the
    // native window is made, so a change of mode makes it anew (the window is hidden here).
    const bool translucent = window_.key_on;
    if (testAttribute(Qt::WA_TranslucentBackground) != translucent) {
        if (internalWinId() && !isVisible()) destroy();
        setAttribute(Qt::WA_TranslucentBackground, translucent);
        setAttribute(Qt::WA_NoSystemBackground, translucent);
        setAttribute(Qt::WA_OpaquePaintEvent, !translucent);
    }
    setFixedSize(window_.client_width, window_.client_height);
    applied_ = window_;
    applied_once_ = true;
    painter_.invalidate();
    painted_revision_ = ~std::uint64_t(0);
    shape_runs_.clear();
}

void TForm1::move_off_screen() {
    hide();
    const QScreen* s = primary_screen();
    const QSize size = s ? s->geometry().size() : QSize(1024, 768);
    window_pos_ = QPoint(-size.width(), -size.height());
    move(window_pos_);
    on_screen_ = false;
}

void TForm1::centre_on_screen() {
    apply_window_model();
    refresh();
    const QScreen* s = primary_screen();
    const QRect g = s ? s->geometry() : QRect(0, 0, 1024, 768);
    window_pos_ = QPoint(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    move(window_pos_);
    if (!window_.key_on) { // a fullscreen load switches the key off
        showFullScreen();
    } else {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        show();
    }
    on_screen_ = true;
    raise();
    activateWindow();
}

void TForm1::refresh() {
    // A reload of the skin may have changed the window's size or mode.
    if (!applied_once_ || !(applied_ == window_)) apply_window_model();
    if (board_.revision() == painted_revision_) return;
    painted_revision_ = board_.revision();
    std::vector<Rect> parts;
    const Image& f = painter_.paint(board_, window_, nullptr, &parts);
    if (f.empty()) return;
    image_ = QImage(reinterpret_cast<const uchar*>(f.pixels.data()), f.width, f.height, f.width * 4,
                    QImage::Format_ARGB32);
    ++paints_;
    if (window_.key_on) {
        update_shape(f);
    } else if (!shape_runs_.empty() || !mask().isEmpty()) {
        shape_runs_.clear();
        shape_ = QRegion(0, 0, f.width, f.height);
        clearMask();
    }
    // Each changed part on its own: the window system copies no more than changed.
    QRegion damage;
    for (const Rect& r : parts) damage += QRect(r.left, r.top, r.width, r.height);
    if (!damage.isEmpty()) update(damage);
}

void TForm1::update_shape(const Image& f) {
    // Runs of non-transparent pixels, row by row; the mask is rebuilt only when they change.
    std::vector<int> runs;
    runs.reserve(std::size_t(f.height) * 4);
    for (int y = 0; y < f.height; ++y) {
        const Argb* row = f.pixels.data() + std::size_t(y) * std::size_t(f.width);
        int x = 0;
        while (x < f.width) {
            while (x < f.width && alpha_of(row[x]) == 0) ++x;
            if (x == f.width) break;
            const int start = x;
            while (x < f.width && alpha_of(row[x]) != 0) ++x;
            runs.push_back(start);
            runs.push_back(x);
        }
        runs.push_back(-1);
    }
    if (runs == shape_runs_) return;
    shape_runs_ = std::move(runs);

    // Rows with the same runs become one band of rectangles.
    std::vector<QRect> rects;
    std::size_t i = 0;
    int y = 0;
    while (y < f.height) {
        const std::size_t begin = i;
        while (shape_runs_[i] != -1) i += 2;
        const std::size_t end = i;
        ++i;
        int rows = 1;
        std::size_t next = i;
        while (y + rows < f.height) {
            std::size_t j = next, k = begin;
            while (shape_runs_[j] != -1 && k < end && shape_runs_[j] == shape_runs_[k] &&
                   shape_runs_[j + 1] == shape_runs_[k + 1]) {
                j += 2;
                k += 2;
            }
            if (shape_runs_[j] != -1 || k != end) break;
            next = j + 1;
            ++rows;
        }
        for (std::size_t k = begin; k < end; k += 2)
            rects.emplace_back(shape_runs_[k], y, shape_runs_[k + 1] - shape_runs_[k], rows);
        i = next;
        y += rows;
    }
    shape_ = QRegion();
    if (!rects.empty()) shape_.setRects(rects.data(), int(rects.size()));
    // An all see-through frame would be no window at all; keep it clickable.
    if (shape_.isEmpty())
        clearMask();
    else
        setMask(shape_);
}

void TForm1::paintEvent(QPaintEvent* e) {
    if (image_.isNull()) refresh();
    if (image_.isNull()) return;
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    // Whole ratios scale pixel for pixel; only fractional ones need smoothing.
    p.setRenderHint(QPainter::SmoothPixmapTransform, ratio != std::floor(ratio));
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : e->region()) p.drawImage(r, image_, r);
    if (!painted_once_) {
        painted_once_ = true;
        // After this paint has been flushed to the screen.
        if (after_first_paint)
            QTimer::singleShot(0, this, [this] {
                if (auto next = std::exchange(after_first_paint, nullptr)) next();
            });
    }
}

void TForm1::keyPressEvent(QKeyEvent* e) {
    e->accept();
    if (shortcut_keys && shortcut_keys(e)) return;
    const std::uint16_t code = virtual_key_code(*e);
    if (code == 0) return;
    driver_.run([&] { input_.key_down(code); });
}

void TForm1::keyReleaseEvent(QKeyEvent* e) {
    e->accept();
    // A held key arrives as release/press pairs flagged as repeats: only the last release is
    // the key's release.
    if (e->isAutoRepeat()) return;
    const std::uint16_t code = virtual_key_code(*e);
    if (code == 0) return;
    driver_.run([&] { input_.key_up(code); });
}

QPoint TForm1::local_to(const Segment& s, const QPointF& global) const {
    // Against the position this window last gave itself, not the one the window system last
    // reported: while a drag moves the window the two differ for a moment.
    const QPoint p = global.toPoint() - window_pos_;
    return {p.x() - s.rect.left, p.y() - s.rect.top};
}

void TForm1::mousePressEvent(QMouseEvent* e) {
    e->accept();
    const QPoint pos = e->position().toPoint();
    const Segment* s = control_at(board_, pos.x(), pos.y());
    if (!s) return;
    window_pos_ = this->pos();
    const MouseButton button = button_of(e->button());
    bool drag = false;
    driver_.run([&] {
        drag = input_.mouse_down(s->name, button, pos.x() - s->rect.left, pos.y() - s->rect.top);
    });
    // A client cannot place its window on Wayland; the compositor moves it instead.
    system_move_ = false;
    if (drag && on_wayland() && windowHandle()) system_move_ = windowHandle()->startSystemMove();
}

void TForm1::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void TForm1::mouseMoveEvent(QMouseEvent* e) {
    e->accept();
    const std::string& pressed = input_.pressed_control();
    if (pressed.empty()) {
        update_cursor(e->position().toPoint());
        return;
    }
    if (system_move_ || !(e->buttons() & Qt::LeftButton)) return;
    const Segment* s = board_.find(pressed);
    if (!s) return;
    const QPoint local = local_to(*s, e->globalPosition());
    input_.mouse_move(true, local.x(), local.y());
}

void TForm1::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
    const QPoint pos = e->position().toPoint();
    const Segment* over = rect().contains(pos) ? control_at(board_, pos.x(), pos.y()) : nullptr;
    const std::string over_name = over ? over->name : std::string();
    const MouseButton button = button_of(e->button());
    driver_.run([&] { input_.mouse_up(button, over_name); });
    if (button == MouseButton::Left) system_move_ = false;
    update_cursor(pos);
}

void TForm1::update_cursor(const QPoint& pos) {
    const Segment* s = control_at(board_, pos.x(), pos.y());
    const Qt::CursorShape shape = cursor_shape(s ? s->cursor : Cursor::Arrow);
    if (cursor().shape() != shape) setCursor(shape);
}

void TForm1::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
    if (context_menu) context_menu(e->globalPos());
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (on_close) on_close();
    e->accept();
}

void TForm1::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && on_activate) on_activate();
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const Segment* s = control_at(board_, help->pos().x(), help->pos().y());
        if (s && !s->hint.empty()) {
            const QRect area(s->rect.left, s->rect.top, s->rect.width, s->rect.height);
            QToolTip::showText(help->globalPos(), QString::fromStdString(s->hint), this, area);
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QWidget::event(e);
}

// Tab is a key like any other here, not a focus move.
bool TForm1::focusNextPrevChild(bool) {
    return false;
}

} // namespace q50
