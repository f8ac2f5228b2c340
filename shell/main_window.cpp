#include "shell/main_window.h"

#include "display/picture_budget.h"
#include "display/picture_read_ahead.h"
#include "display/skin_loader.h"
#include "shell/key_codes.h"
#include "shell/outside_place.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <algorithm>
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
      input_(input), driver_(driver), presenter_(board, window) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    input_.set_window(this);
    connect(&driver_, &RealtimeDriver::stepped, this, &TForm1::refresh);
    const QScreen* screen = primary_screen();
    presenter_.set_refresh_rate(screen ? screen->refreshRate() : 0.0);
    fade_frames_.setInterval(presenter_.frame_interval_ms());
    fade_frames_.setTimerType(Qt::PreciseTimer);
    connect(&fade_frames_, &QTimer::timeout, this, &TForm1::refresh);
    // The mark goes with the focus: over another program's window it would say nothing.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] { place_mark(); });
}

void TForm1::set_left(int left) {
    window_pos_.setX(left);
    move(window_pos_);
}

void TForm1::set_top(int top) {
    window_pos_.setY(top);
    move(window_pos_);
}

QPoint TForm1::to_design(const QPointF& p) const {
    const DesignPoint d = presenter_.to_design(p.x(), p.y());
    return {d.x, d.y};
}

QRect TForm1::to_window(const Rect& d) const {
    const Rect r = presenter_.to_window(d);
    return QRect(r.left, r.top, r.width, r.height);
}

void TForm1::apply_layout() {
    // See-through pixels need a window with an alpha channel; the visual is chosen when the
    // native window is made, so a change of mode makes it anew (the window is hidden here).
    const bool translucent = window_.key_on;
    if (testAttribute(Qt::WA_TranslucentBackground) != translucent) {
        if (internalWinId() && !isVisible()) destroy();
        setAttribute(Qt::WA_TranslucentBackground, translucent);
        setAttribute(Qt::WA_NoSystemBackground, translucent);
        setAttribute(Qt::WA_OpaquePaintEvent, !translucent);
    }
    const PixelSize size = presenter_.window_size();
    setFixedSize(size.width, size.height);
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

void TForm1::centre_on_screen(const QPoint* place) {
    // A frame already painted for this window model is shown as it is: painting it again
    // (a whole scaled frame) delayed the first one on screen.
    refresh();
    const QScreen* s = primary_screen();
    const QRect g = s ? s->geometry() : QRect(0, 0, 1024, 768);
    window_pos_ = QPoint(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    if (place && window_.key_on) window_pos_ = *place;
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
    place_mark();
}

void TForm1::keep_on_screen(const QPoint& centre) {
    QScreen* s = QGuiApplication::screenAt(centre);
    if (!s) s = primary_screen();
    const QRect a = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    int x = centre.x() - width() / 2, y = centre.y() - height() / 2;
    x = std::max(a.left(), std::min(x, a.left() + a.width() - width()));
    y = std::max(a.top(), std::min(y, a.top() + a.height() - height()));
    window_pos_ = QPoint(x, y);
    move(window_pos_);
}

void TForm1::refresh() {
    if (const QScreen* s = primary_screen())
        presenter_.set_screen({s->geometry().width(), s->geometry().height()});
    // The look follows the board in the driver's time, which is the device's.
    const Presenter::Update u = presenter_.present(driver_.clock_ms());
    // A reload of the skin may have changed the window's size or mode.
    if (u.laid_out) apply_layout();
    // A fade is painted frame by frame while it runs; once every segment has settled no timer
    // is left, so an idle device wakes nothing.
    const bool fading = presenter_.next_frame_ms() >= 0;
    if (fading != fade_frames_.isActive()) {
        if (fading)
            fade_frames_.start();
        else
            fade_frames_.stop();
    }
    if (presenter_.take_picture_failure() && host_) host_->picture_failed();
    tell_refusals();
    if (u.painted) show_frame(u.changed);
}

void TForm1::show_frame(const std::vector<Rect>& changed) {
    const Image& f = presenter_.frame();
    const double ratio = presenter_.ratio();
    // The fullscreen frame is opaque throughout: as RGB32 it is copied into the backing store
    // as it is, where a straight-alpha frame is first converted, on a pool of threads that the
    // first frame would start.
    image_ = QImage(reinterpret_cast<const uchar*>(f.pixels.data()), f.width, f.height, f.width * 4,
                    window_.key_on ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    if (window_.key_on) {
        update_shape(f);
    } else if (!shape_runs_.empty() || !mask().isEmpty()) {
        shape_runs_.clear();
        shape_ = QRegion(0, 0, f.width, f.height);
        clearMask();
    }
    // Each changed part on its own, not one rectangle around them all: the window system
    // copies no more than changed.
    QRegion region;
    for (const Rect& part : changed) {
        // Physical pixels to window pixels, widened to whole window pixels: the paint copies
        // whole window pixels from the frame, which is up to date everywhere.
        const int l = int(std::floor(part.left / ratio));
        const int t = int(std::floor(part.top / ratio));
        const int r = int(std::ceil((part.left + part.width) / ratio));
        const int b = int(std::ceil((part.top + part.height) / ratio));
        region += QRect(l, t, r - l, b - t);
    }
    if (!region.isEmpty()) update(region);
}

void TForm1::tell_refusals() {
    const std::string text = presenter_.take_refusals();
    if (!text.empty() && host_) host_->pictures_not_shown(text);
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

    // The mask is in window pixels: a window pixel belongs when any of its physical pixels
    // does. A region's rectangles must not overlap or abut, so at a ratio other than 1 each
    // window row gets the runs of every physical row it covers, merged.
    const double ratio_ = presenter_.ratio();
    const std::vector<int>* rows_runs = &shape_runs_;
    int height = f.height;
    std::vector<int> window_runs;
    if (ratio_ != 1.0) {
        std::vector<std::size_t> row_start(std::size_t(f.height) + 1, 0);
        for (std::size_t k = 0, y = 0; k < shape_runs_.size(); ++k)
            if (shape_runs_[k] == -1) row_start[++y] = k + 1;
        height = int(std::ceil(f.height / ratio_ - 1e-9));
        std::vector<std::pair<int, int>> spans;
        for (int wy = 0; wy < height; ++wy) {
            const int py0 = std::clamp(int(std::floor(wy * ratio_)), 0, f.height);
            const int py1 = std::clamp(int(std::ceil((wy + 1) * ratio_)), py0, f.height);
            spans.clear();
            for (int py = py0; py < py1; ++py)
                for (std::size_t k = row_start[std::size_t(py)]; shape_runs_[k] != -1; k += 2)
                    spans.emplace_back(int(std::floor(shape_runs_[k] / ratio_)),
                                       int(std::ceil(shape_runs_[k + 1] / ratio_)));
            std::sort(spans.begin(), spans.end());
            for (std::size_t k = 0; k < spans.size();) {
                int l = spans[k].first, r = spans[k].second;
                for (++k; k < spans.size() && spans[k].first <= r; ++k)
                    r = std::max(r, spans[k].second);
                window_runs.push_back(l);
                window_runs.push_back(r);
            }
            window_runs.push_back(-1);
        }
        rows_runs = &window_runs;
    }
    const std::vector<int>& runs_of = *rows_runs;

    // Rows with the same runs become one band of rectangles.
    std::vector<QRect> rects;
    std::size_t i = 0;
    int y = 0;
    while (y < height) {
        const std::size_t begin = i;
        while (runs_of[i] != -1) i += 2;
        const std::size_t end = i;
        ++i;
        int rows = 1;
        std::size_t next = i;
        while (y + rows < height) {
            std::size_t j = next, k = begin;
            while (runs_of[j] != -1 && k < end && runs_of[j] == runs_of[k] &&
                   runs_of[j + 1] == runs_of[k + 1]) {
                j += 2;
                k += 2;
            }
            if (runs_of[j] != -1 || k != end) break;
            next = j + 1;
            ++rows;
        }
        for (std::size_t k = begin; k < end; k += 2)
            rects.emplace_back(runs_of[k], y, runs_of[k + 1] - runs_of[k], rows);
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
    // The frame is already at the screen's physical pixels: it is copied, never resampled.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const double ratio_ = presenter_.ratio();
    for (const QRect& r : e->region()) {
        if (ratio_ == 1.0) {
            p.drawImage(r, image_, r);
            continue;
        }
        const QRectF source(r.x() * ratio_, r.y() * ratio_, r.width() * ratio_,
                            r.height() * ratio_);
        p.drawImage(QRectF(r), image_, source);
    }
    if (!presenter_.shown_once()) {
        presenter_.first_frame_shown();
        // After this paint has been flushed to the screen: the larger drawings the scale
        // needs, then whatever else waited for the first frame.
        QTimer::singleShot(0, this, [this] {
            finish_waiting_pictures();
            if (presenter_.prepare_sets()) refresh();
            if (host_) host_->first_frame_shown();
        });
    }
}

void TForm1::finish_waiting_pictures(bool only_shown) {
    if (presenter_.finish_waiting_pictures(only_shown) && host_) host_->picture_failed();
}

void TForm1::set_mark(const QString& text) {
    if (mark_ == text) return;
    mark_ = text;
    if (!mark_window_) mark_window_ = make_outside_label(this, QStringLiteral("mark"), true);
    mark_window_->setText(mark_);
    mark_window_->adjustSize();
    place_mark();
}

QRect TForm1::device_on_screen() const {
    const QPoint origin = window_pos_;
    if (window_.key_on) return QRect(origin, size());
    // Fullscreen: what the skin shows, apart from what covers the whole screen and the button.
    Rect d{};
    bool any = false;
    for (const Segment& s : board_.segments()) {
        if (!s.shown || !s.picture || s.rect.width <= 0 || s.rect.height <= 0) continue;
        if (presentation_segment(s.name)) continue;
        if (!any) {
            d = s.rect;
            any = true;
            continue;
        }
        const int r = std::max(d.left + d.width, s.rect.left + s.rect.width);
        const int b = std::max(d.top + d.height, s.rect.top + s.rect.height);
        d.left = std::min(d.left, s.rect.left);
        d.top = std::min(d.top, s.rect.top);
        d.width = r - d.left;
        d.height = b - d.top;
    }
    if (!any) return QRect(origin, size());
    return to_window(d).translated(origin).intersected(QRect(origin, size()));
}

QRect TForm1::logo_on_screen() const {
    const Segment* logo = board_.find("im_backdrop_logo");
    if (window_.key_on || !logo || !logo->shown || !logo->picture) return {};
    return to_window(logo->rect).translated(window_pos_);
}

void TForm1::place_mark() {
    if (!mark_window_) return;
    const bool show = !mark_.isEmpty() && on_screen_ && isVisible() &&
                      QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (!show) {
        mark_window_->hide();
        return;
    }
    const QRect device = device_on_screen();
    const QScreen* s = QGuiApplication::screenAt(device.center());
    if (!s) s = primary_screen();
    const QRect area = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    mark_window_->move(outside_place(device, mark_window_->size(), area, 0, logo_on_screen()));
    mark_window_->show();
}

void TForm1::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    place_mark();
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    place_mark();
}

void TForm1::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    place_mark();
}

void TForm1::keyPressEvent(QKeyEvent* e) {
    e->accept();
    if (host_ && host_->shortcut_key(e)) return;
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
    // reported: while a drag moves the window the two differ for a moment. The drag works in
    // window pixels, so that the window follows the pointer exactly at every scale.
    const QPoint p = global.toPoint() - window_pos_;
    const QRect r = to_window(s.rect);
    return {p.x() - r.left(), p.y() - r.top()};
}

void TForm1::mousePressEvent(QMouseEvent* e) {
    e->accept();
    const QPoint pos = to_design(e->position());
    const Segment* s = control_at(board_, pos.x(), pos.y());
    if (!s) return;
    window_pos_ = this->pos();
    const MouseButton button = button_of(e->button());
    const QPoint local = e->position().toPoint() - to_window(s->rect).topLeft();
    bool drag = false;
    driver_.run([&] { drag = input_.mouse_down(board_.id_of(*s), button, local.x(), local.y()); });
    dragging_ = drag;
    // A client cannot place its window on Wayland; the compositor moves it instead.
    system_move_ = false;
    if (drag && on_wayland() && windowHandle()) system_move_ = windowHandle()->startSystemMove();
}

void TForm1::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void TForm1::mouseMoveEvent(QMouseEvent* e) {
    e->accept();
    const std::optional<SegmentId> pressed = input_.pressed_control();
    if (!pressed) {
        update_cursor(to_design(e->position()));
        return;
    }
    if (system_move_ || !(e->buttons() & Qt::LeftButton)) return;
    const QPoint local = local_to(board_.get(*pressed), e->globalPosition());
    input_.mouse_move(true, local.x(), local.y());
}

void TForm1::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
    const QPoint pos = to_design(e->position());
    const bool inside = rect().contains(e->position().toPoint());
    const Segment* over = inside ? control_at(board_, pos.x(), pos.y()) : nullptr;
    const MouseButton button = button_of(e->button());
    driver_.run([&] {
        if (over)
            input_.mouse_up(button, board_.id_of(*over));
        else
            input_.mouse_up(button);
    });
    if (button == MouseButton::Left) {
        // A drag the compositor did has no place we could know.
        if (dragging_ && !system_move_ && host_) host_->dragged_to(window_pos_);
        dragging_ = false;
        system_move_ = false;
    }
    update_cursor(pos);
}

void TForm1::update_cursor(const QPoint& pos) {
    const Segment* s = control_at(board_, pos.x(), pos.y());
    const Qt::CursorShape shape = cursor_shape(s ? s->cursor : Cursor::Arrow);
    if (cursor().shape() != shape) setCursor(shape);
}

void TForm1::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
    if (host_) host_->context_menu_at(e->globalPos());
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (host_) host_->closing();
    e->accept();
}

void TForm1::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::ActivationChange) return;
    if (!host_) return;
    if (isActiveWindow()) host_->activated();
    host_->active_changed(isActiveWindow());
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QPoint d = to_design(QPointF(help->pos()));
        const Segment* s = control_at(board_, d.x(), d.y());
        if (s && !s->hint.empty()) {
            const QRect area = to_window(s->rect);
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
