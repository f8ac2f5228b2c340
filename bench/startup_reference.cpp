// The yardstick for the start-up figure: the smallest Qt program that shows one picture in a
// window. The start-up benchmark measures it next to the simulator, in the same X server.
#include <QApplication>
#include <QLabel>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label;
    label.setWindowTitle(QStringLiteral("reference"));
    label.setPixmap(QPixmap(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString()));
    label.show();
    return QApplication::exec();
}
