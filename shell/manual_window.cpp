#include "shell/manual_window.h"

#include "display/frame_scaler.h"
#include "display/picture_file.h"
#include "display/scale.h"
#include "shell/qt_picture.h"
#include "shell/window_pictures.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <new>

namespace q50 {

namespace fs = std::filesystem;

ManualSettings read_manual_settings(const fs::path& executable_dir, const fs::path& current_dir) {
    struct Stderr : MessageSink {
        void error(const std::string& text) override { write_notice(text); }
    } messages;
    return read_manual_settings(executable_dir, current_dir, messages);
}

void ManualButton::set_pictures(const QPixmap& released, const QPixmap& pressed) {
    released_ = released;
    pressed_picture_ = pressed;
    setPixmap(pressed_ ? pressed_picture_ : released_);
}

void ManualButton::set_pressed(bool on) {
    if (pressed_ == on) return;
    pressed_ = on;
    setPixmap(on ? pressed_picture_ : released_);
}

void ManualButton::mousePressEvent(QMouseEvent* e) {
    e->accept();
    if (e->button() == Qt::LeftButton) emit left_pressed();
}

void ManualButton::mouseReleaseEvent(QMouseEvent* e) {
    // The release belongs to the button that got the press, wherever the pointer is now.
    e->accept();
    if (e->button() == Qt::LeftButton) emit left_released();
}

namespace {

constexpr int kButtonWidth = 16;
constexpr int kButtonHeight = 14;
constexpr int kEdge = 4;

enum class Glyph { Left, Right, Close };

// Stand-ins for the built-in button pictures, for a build without them.
QPixmap drawn_button(Glyph g, bool pressed) {
    QPixmap pm(kButtonWidth, kButtonHeight);
    pm.fill(pressed ? QColor(90, 90, 90) : QColor(200, 200, 200));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(40, 40, 40));
    p.drawRect(0, 0, kButtonWidth - 1, kButtonHeight - 1);
    p.setBrush(pressed ? Qt::white : Qt::black);
    p.setPen(Qt::NoPen);
    if (g == Glyph::Left) {
        const QPointF t[3] = {{4, 7}, {11, 3}, {11, 11}};
        p.drawPolygon(t, 3);
    } else if (g == Glyph::Right) {
        const QPointF t[3] = {{12, 7}, {5, 3}, {5, 11}};
        p.drawPolygon(t, 3);
    } else {
        p.setPen(QPen(pressed ? Qt::white : Qt::black, 2));
        p.drawLine(QPointF(5, 4), QPointF(11, 10));
        p.drawLine(QPointF(11, 4), QPointF(5, 10));
    }
    return pm;
}

QPixmap button_picture(const QString& file, Glyph g, bool pressed, double ratio) {
    QPixmap pm = window_picture(file, ratio);
    return pm.isNull() ? drawn_button(g, pressed) : pm;
}

} // namespace

ManualWindow::ManualWindow(const ManualSettings& settings, ErrorPresenter error, QWidget* parent,
                           PictureBudget* budget)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      settings_(settings), error_(std::move(error)), budget_(budget ? budget : &own_budget_) {
    setObjectName(QStringLiteral("TManualForm"));
    setWindowTitle(QStringLiteral("Manual"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    im_page_top = new QLabel(this);
    im_page_top->setObjectName(QStringLiteral("im_page_top"));
    im_page_top->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    sh_page_top = new QWidget(this);
    sh_page_top->setObjectName(QStringLiteral("sh_page_top"));
    sh_page_top->installEventFilter(this);

    auto make_down = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setScaledContents(true); // the buttons grow with the manual
        label->resize(kButtonWidth, kButtonHeight);
        return label;
    };
    auto make_up = [this](const char* name) {
        auto* button = new ManualButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setScaledContents(true);
        button->resize(kButtonWidth, kButtonHeight);
        return button;
    };
    btn_right_down = make_down("btn_right_down");
    btn_right_up = make_up("btn_right_up");
    btn_left_down = make_down("btn_left_down");
    btn_left_up = make_up("btn_left_up");
    btn_close_down = make_down("btn_close_down");
    btn_close_up = make_up("btn_close_up");
    show_button_pictures(devicePixelRatioF());
    btn_left_down->hide();
    btn_left_up->hide();
    connect(btn_left_up, &ManualButton::left_pressed, this, &ManualWindow::Inp_left_down);
    connect(btn_left_up, &ManualButton::left_released, this, &ManualWindow::Inp_left_up);
    connect(btn_right_up, &ManualButton::left_pressed, this, &ManualWindow::Inp_right_down);
    connect(btn_right_up, &ManualButton::left_released, this, &ManualWindow::Inp_right_up);
    connect(btn_close_up, &ManualButton::left_pressed, this, &ManualWindow::Inp_esc_down);
    connect(btn_close_up, &ManualButton::left_released, this, &ManualWindow::Inp_esc_up);

    design_size_ = QSize(settings.width, settings.height);
    setFixedSize(settings.width, settings.height);
    place_controls();

    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
    }
}

void ManualWindow::load_pages() {
    if (pages_loaded_) return;
    pages_loaded_ = true;
    struct Presenter : MessageSink {
        const ErrorPresenter& present;
        explicit Presenter(const ErrorPresenter& p) : present(p) {}
        void error(const std::string& text) override {
            if (present) present(QString::fromStdString(text));
        }
    } messages(error_);
    ManualPages pages = load_manual_pages(settings_, *budget_, messages);
    for (int n = 1; n <= kPageCount; ++n) {
        Picture& p = pages.page[std::size_t(n)];
        // A page whose copy cannot be made stays empty rather than half drawn.
        Manual_Page_Image[std::size_t(n)] =
            p ? QPixmap::fromImage(qimage_from_picture(*p)) : QPixmap();
        // Its decoded copy goes at once: the pages are never held twice over.
        p.reset();
        page_files_[std::size_t(n)] = pages.file[std::size_t(n)];
        page_told_[std::size_t(n)] = false;
    }
}

void ManualWindow::set_scale(double total, double ratio) {
    if (!(total > 0) || !(ratio > 0)) return;
    // Never smaller than the desktop's own scale: a device shrunk to fit the screen leaves
    // the pages as readable as any other window.
    total = std::max(total, ratio);
    const PixelSize design{design_size_.width(), design_size_.height()};
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s) {
        const QSize a = s->availableGeometry().size();
        const PixelSize available{int(a.width() * ratio), int(a.height() * ratio)};
        const PixelSize shown = scaled_size(design, total);
        if (shown.width > 0.9 * available.width || shown.height > 0.9 * available.height)
            total = windowed_fit_scale(design, available);
    }
    if (total == total_ && ratio == ratio_) return;
    total_ = total;
    ratio_ = ratio;
    show_button_pictures(total_);
    const PixelSize shown = scaled_size(design, total);
    setFixedSize(int(std::ceil(shown.width / ratio - 1e-9)),
                 int(std::ceil(shown.height / ratio - 1e-9)));
    place_controls();
    if (s && !isVisible()) {
        const QRect g = s->geometry();
        move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
    }
    Vid_Show_Page();
}

void ManualWindow::show_button_pictures(double scale) {
    // The buttons grow with the pages: from a scale above 1 on their double-size drawings.
    const int drawing = scale > 1.0 ? 2 : 1;
    if (drawing == button_drawing_) return;
    button_drawing_ = drawing;
    struct Button {
        QLabel* down;
        ManualButton* up;
        QString released, pressed;
        Glyph glyph;
    };
    const Button buttons[] = {{btn_left_down, btn_left_up, QStringLiteral("manual_left_up.png"),
                               QStringLiteral("manual_left_down.png"), Glyph::Left},
                              {btn_right_down, btn_right_up, QStringLiteral("manual_right_up.png"),
                               QStringLiteral("manual_right_down.png"), Glyph::Right},
                              {btn_close_down, btn_close_up, QStringLiteral("manual_close_up.png"),
                               QStringLiteral("manual_close_down.png"), Glyph::Close}};
    for (const Button& b : buttons) {
        b.down->setPixmap(button_picture(b.pressed, b.glyph, true, scale));
        b.up->set_pictures(button_picture(b.released, b.glyph, false, scale),
                           button_picture(b.pressed, b.glyph, true, scale));
    }
}

namespace {

// The top-left `w` by `h` of a page (the whole page when that is all of it).
Image top_left(const Image& page, int w, int h) {
    Image part(w, h);
    for (int y = 0; y < h; ++y)
        std::copy_n(page.pixels.begin() + std::ptrdiff_t(y) * page.width, w,
                    part.pixels.begin() + std::ptrdiff_t(y) * w);
    return part;
}

} // namespace

Picture ManualWindow::page_2x(int n) {
    if (n == page_2x_number_) return page_2x_;
    drop_page_2x();
    const QPixmap& design = Manual_Page_Image[std::size_t(n)];
    if (page_2x_refused_[std::size_t(n)] || design.isNull()) return nullptr;
    struct Stderr : MessageSink {
        void error(const std::string& text) override { write_notice(text); }
    } messages;
    page_2x_ =
        load_manual_page_2x(settings_, n, {design.width(), design.height()}, *budget_, messages);
    if (!page_2x_) {
        page_2x_refused_[std::size_t(n)] = true;
        return nullptr;
    }
    page_2x_number_ = n;
    return page_2x_;
}

void ManualWindow::drop_page_2x() {
    if (page_2x_)
        budget_->give_back(PictureBudget::Owner::Manual,
                           picture_bytes(page_2x_->width, page_2x_->height));
    page_2x_.reset();
    page_2x_number_ = 0;
}

QPixmap ManualWindow::at_scale(int n) {
    const QPixmap& design = Manual_Page_Image[std::size_t(n)];
    if (!(total_ > 1.0)) drop_page_2x();
    if (design.isNull() || (total_ == 1.0 && ratio_ == 1.0)) return design;
    // Text drawn at twice the size stays sharp: above 1x the page comes from that drawing,
    // brought to the scale from there, and from the design-size page only when it has none.
    const Picture larger = total_ > 1.0 ? page_2x(n) : nullptr;
    const double from = larger ? total_ / 2.0 : total_;
    // A page larger than the window shows only its top-left part: only that is brought to the
    // scale, with a source pixel to spare each way for the averaging at its edges, so that the
    // pixels shown are those of the whole page scaled.
    const PixelSize all = scaled_size({design.width(), design.height()}, total_);
    const PixelSize out{std::min(all.width, int(std::ceil(width() * ratio_ - 1e-9))),
                        std::min(all.height, int(std::ceil(height() * ratio_ - 1e-9)))};
    const int source_width = larger ? larger->width : design.width();
    const int source_height = larger ? larger->height : design.height();
    const int w = std::min(source_width, int(std::ceil(out.width / from)) + 2);
    const int h = std::min(source_height, int(std::ceil(out.height / from)) + 2);
    const bool whole = w == source_width && h == source_height;
    try {
        Image shown;
        if (larger) {
            shown = whole ? scale_frame(*larger, from, out)
                          : scale_frame(top_left(*larger, w, h), from, out);
        } else {
            const QImage part = whole ? design.toImage() : design.copy(0, 0, w, h).toImage();
            const Picture page = picture_from_qimage(part);
            if (!page || page->empty()) throw std::bad_alloc();
            shown = scale_frame(*page, from, out);
        }
        QImage picture = qimage_from_picture(shown);
        if (picture.isNull()) throw std::bad_alloc();
        QPixmap pm = QPixmap::fromImage(std::move(picture));
        if (pm.isNull()) throw std::bad_alloc();
        pm.setDevicePixelRatio(ratio_);
        return pm;
    } catch (const std::bad_alloc&) {
        if (!page_told_[std::size_t(n)] && error_) {
            page_told_[std::size_t(n)] = true;
            const fs::path& file = page_files_[std::size_t(n)];
            error_(QString::fromStdString(
                (file.empty()
                     ? std::string("Manual page ") + std::to_string(n)
                     : "\"" + file.string() + "\" (manual page " + std::to_string(n) + ")") +
                " is not shown at this size: there is not enough memory for its copy at the "
                "screen's scale (" +
                megabytes(picture_bytes(out.width, out.height)) + ")"));
        }
        return QPixmap();
    }
}

void ManualWindow::place_controls() {
    const int w = width();
    const int h = height();
    im_page_top->setGeometry(0, 0, w, h);
    sh_page_top->setGeometry(0, 0, w, h);
    // The buttons and their margins grow with the pages (whole window pixels).
    const double view = total_ / ratio_;
    const int bw = int(std::lround(kButtonWidth * view)),
              bh = int(std::lround(kButtonHeight * view));
    const int edge = int(std::lround(kEdge * view));
    for (QLabel* b :
         {btn_right_down, static_cast<QLabel*>(btn_right_up), btn_left_down,
          static_cast<QLabel*>(btn_left_up), btn_close_down, static_cast<QLabel*>(btn_close_up)})
        b->resize(bw, bh);
    const QPoint right(w - edge - bw, h - edge - bh);
    const QPoint left(edge, h - edge - bh);
    const QPoint close(w - edge - bw, edge);
    btn_right_down->move(right);
    btn_right_up->move(right);
    btn_left_down->move(left);
    btn_left_up->move(left);
    btn_close_down->move(close);
    btn_close_up->move(close);
}

void ManualWindow::resizeEvent(QResizeEvent* e) {
    place_controls();
    QWidget::resizeEvent(e);
}

void ManualWindow::release_pages() {
    for (QPixmap& page : Manual_Page_Image) page = QPixmap();
    drop_page_2x();
    page_2x_refused_.fill(false);
    im_page_top->clear();
    // The skin may use what the pages took.
    budget_->clear(PictureBudget::Owner::Manual);
    pages_loaded_ = false;
}

void ManualWindow::open() {
    load_pages();
    show();
    raise();
    activateWindow();
}

void ManualWindow::showEvent(QShowEvent* e) {
    load_pages();
    Vid_Show_Page();
    QWidget::showEvent(e);
}

void ManualWindow::hideEvent(QHideEvent* e) {
    // Nine megabytes of pages are not kept for a window nobody looks at.
    if (!e->spontaneous()) release_pages();
    QWidget::hideEvent(e);
}

void ManualWindow::Vid_Show_Page() {
    im_page_top->setPixmap(at_scale(Manual_Page));
    // A turn ends the press that made it: the released pictures come back wherever shown.
    btn_left_up->set_pressed(false);
    btn_right_up->set_pressed(false);
    if (Manual_Page == 1) {
        btn_left_down->hide();
        btn_left_up->hide();
    } else if (Manual_Page == kPageCount) {
        btn_right_down->hide();
        btn_right_up->hide();
    } else {
        for (QLabel* b : {btn_left_down, static_cast<QLabel*>(btn_left_up), btn_right_down,
                          static_cast<QLabel*>(btn_right_up)})
            b->show();
    }
}

void ManualWindow::Inp_left_down() {
    btn_left_up->set_pressed(true);
}

void ManualWindow::Inp_left_up() {
    if (Manual_Page <= 1) return; // the button is hidden there; keep the page in range anyway
    --Manual_Page;
    Vid_Show_Page();
}

void ManualWindow::Inp_right_down() {
    btn_right_up->set_pressed(true);
}

void ManualWindow::Inp_right_up() {
    if (Manual_Page >= kPageCount) return;
    ++Manual_Page;
    Vid_Show_Page();
}

void ManualWindow::Inp_esc_down() {
    btn_close_up->set_pressed(true);
}

void ManualWindow::Inp_esc_up() {
    btn_close_up->set_pressed(false);
    hide();
}

void ManualWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left:
        if (Manual_Page > 1) Inp_left_down();
        break;
    case Qt::Key_Right:
        if (Manual_Page < kPageCount) Inp_right_down();
        break;
    case Qt::Key_Escape:
        Inp_esc_down();
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

void ManualWindow::keyReleaseEvent(QKeyEvent* e) {
    // A held key's repeats come as release and press pairs: only the real release turns.
    if (e->isAutoRepeat()) {
        e->accept();
        return;
    }
    switch (e->key()) {
    case Qt::Key_Left:
        if (Manual_Page > 1) Inp_left_up();
        break;
    case Qt::Key_Right:
        if (Manual_Page < kPageCount) Inp_right_up();
        break;
    case Qt::Key_Escape:
        Inp_esc_up();
        break;
    default:
        QWidget::keyReleaseEvent(e);
        return;
    }
    e->accept();
}

bool ManualWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched != sh_page_top) return QWidget::eventFilter(watched, e);
    if (e->type() == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() != Qt::LeftButton) return true;
        if (QGuiApplication::platformName() == QLatin1String("wayland")) {
            // Windows place themselves only through the compositor there.
            if (QWindow* w = windowHandle()) w->startSystemMove();
            return true;
        }
        Manual_Drag_X = int(m->position().x());
        Manual_Drag_Y = int(m->position().y());
        return true;
    }
    if (e->type() == QEvent::MouseMove) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (!(m->buttons() & Qt::LeftButton)) return true;
        const int x = int(m->position().x());
        const int y = int(m->position().y());
        move(pos().x(), pos().y() + (y - Manual_Drag_Y));
        move(pos().x() + (x - Manual_Drag_X), pos().y());
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace q50
