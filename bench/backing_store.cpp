// What it costs to bring a finished frame into the window, side by side in one run: the main
// window's way (the frame wrapped as a straight-alpha QImage and drawn with the Source
// composition), the same with an opaque frame wrapped as RGB32, and the rows written straight
// into Qt's backing store (the lower bound of painting without a frame of our own). For a
// full repaint and for a part (one segment's rectangle), fullscreen (opaque window) and
// windowed (see-through window), at the sizes the delivered device has at fit on a 1024x768
// screen. Run it in an X server: bench_backing_store [ROUNDS]
// or, for the first paint of a new process: bench_backing_store --first 0|1|2 fullscreen|windowed
// (0 the main window's way, 1 RGB32, 2 rows into the store).
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

enum class Way { Straight, Opaque, Direct };
const char* name_of(Way w) {
    switch (w) {
    case Way::Straight:
        return "drawImage ARGB32 (now)";
    case Way::Opaque:
        return "drawImage RGB32      ";
    case Way::Direct:
        return "rows into the store  ";
    }
    return "";
}

// The process's CPU time: Qt converts large pictures on a pool of threads, which a thread's own
// clock would miss.
double cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double wall_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class Window : public QWidget {
  public:
    Window(int w, int h, bool see_through)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), pixels_(std::size_t(w) * h),
          see_through_(see_through) {
        // A frame like the painter's: opaque device pixels, and in a see-through window a
        // cleared border around the device.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool outside = see_through && (x < 8 || y < 8 || x >= w - 8 || y >= h - 8);
                pixels_[std::size_t(y) * w + x] =
                    outside ? 0u : 0xFF000000u | (std::uint32_t((x * 7) ^ (y * 13)) & 0xFFFFFFu);
            }
        frame_w_ = w;
        frame_h_ = h;
        setAttribute(Qt::WA_TranslucentBackground, see_through);
        setAttribute(Qt::WA_NoSystemBackground, see_through);
        setAttribute(Qt::WA_OpaquePaintEvent, !see_through);
        setFixedSize(w, h);
    }
    Way way = Way::Straight;
    double paint_ms = 0;
    int paints = 0;
    bool direct_possible = true;

  protected:
    void paintEvent(QPaintEvent* e) override {
        const double t0 = cpu_ms();
        ++paints;
        QPainter p(this);
        if (way == Way::Direct) {
            auto* store = dynamic_cast<QImage*>(p.paintEngine()->paintDevice());
            const QPoint at = p.deviceTransform().map(QPoint(0, 0));
            const bool fits = store && store->depth() == 32 && store->devicePixelRatio() == 1.0;
            direct_possible = fits;
            if (fits) {
                for (const QRect& r : e->region()) {
                    for (int y = r.top(); y <= r.bottom(); ++y) {
                        auto* d = reinterpret_cast<std::uint32_t*>(store->scanLine(y + at.y())) +
                                  r.left() + at.x();
                        std::memcpy(d, pixels_.data() + std::size_t(y) * frame_w_ + r.left(),
                                    std::size_t(r.width()) * 4);
                    }
                }
                paint_ms += cpu_ms() - t0;
                return;
            }
        }
        const QImage image(
            reinterpret_cast<const uchar*>(pixels_.data()), frame_w_, frame_h_, frame_w_ * 4,
            way == Way::Opaque && !see_through_ ? QImage::Format_RGB32 : QImage::Format_ARGB32);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : e->region()) p.drawImage(r, image, r);
        paint_ms += cpu_ms() - t0;
    }

  private:
    std::vector<std::uint32_t> pixels_;
    int frame_w_ = 0, frame_h_ = 0;
    bool see_through_;
};

void run(const char* label, int w, int h, bool see_through, int rounds) {
    Window win(w, h, see_through);
    win.move(0, 0);
    win.show();
    // Painting a window that is not yet mapped paints nothing.
    QElapsedTimer waited;
    waited.start();
    while (!(win.windowHandle() && win.windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    const QRect part(w / 2 - 30, h / 2 - 20, 61, 41); // a segment's size
    std::vector<Way> ways{Way::Straight, Way::Direct};
    if (!see_through) ways.insert(ways.begin() + 1, Way::Opaque); // only an opaque frame
    for (const QRect& r : {QRect(0, 0, w, h), part}) {
        std::vector<std::vector<double>> paint(3), whole(3), wall(3);
        // The ways in turns, so that a busy moment of the machine falls on each alike.
        for (int i = 0; i < rounds; ++i)
            for (Way way : ways) {
                win.way = way;
                win.paint_ms = 0;
                const double t0 = cpu_ms(), w0 = wall_ms();
                win.repaint(r); // painted and sent to the window system at once
                whole[int(way)].push_back(cpu_ms() - t0);
                wall[int(way)].push_back(wall_ms() - w0);
                paint[int(way)].push_back(win.paint_ms);
            }
        for (Way way : ways)
            std::printf("%-20s %s %-4s CPU: paint %.3f ms, paint and flush %.3f ms; wall %.3f ms "
                        "(medians of %d)%s\n",
                        label, name_of(way), r.width() == w ? "full" : "part",
                        median(paint[int(way)]), median(whole[int(way)]), median(wall[int(way)]),
                        rounds, win.direct_possible ? "" : " [store not 32-bit]");
    }
}

} // namespace

// The first paint of a new window in a new process, as at start-up: the backing store is
// fresh, and the process has not yet converted a picture.
int first_paint(Way way, bool fullscreen) {
    const int w = fullscreen ? 1024 : 448, h = fullscreen ? 768 : 693;
    Window win(w, h, !fullscreen);
    win.way = way;
    win.move(0, 0);
    const double t0 = cpu_ms(), w0 = wall_ms();
    win.show();
    QElapsedTimer waited;
    waited.start();
    while (win.paints == 0 && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("first paint %s %s: in paintEvent %.3f ms CPU; show to painted %.3f ms CPU, %.3f "
                "ms wall\n",
                fullscreen ? "fullscreen" : "windowed", name_of(way), win.paint_ms, cpu_ms() - t0,
                wall_ms() - w0);
    return win.paints ? 0 : 1;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 3 && std::strcmp(argv[1], "--first") == 0)
        return first_paint(Way(std::atoi(argv[2])), std::strcmp(argv[3], "fullscreen") == 0);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 31;
    // Fit on a 1024x768 screen: fullscreen covers it; the 498x770 device windowed at 0.9.
    run("fullscreen 1024x768", 1024, 768, false, rounds);
    run("windowed 448x693", 448, 693, true, rounds);
    return 0;
}
