// The yardstick for the start-up figure: the smallest Qt program that shows one picture in a
// window, or with --fullscreen stretched over the whole screen. The start-up benchmark
// measures it next to the simulator, in the same X server.
#include <QApplication>
#include <QLabel>
#include <QPixmap>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool fullscreen = argc > 2 && std::strcmp(argv[2], "--fullscreen") == 0;
    QLabel label;
    label.setWindowTitle(QStringLiteral("reference"));
    label.setPixmap(QPixmap(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString()));
    label.setScaledContents(fullscreen);
    if (fullscreen)
        label.showFullScreen();
    else
        label.show();
    return QApplication::exec();
}
