// quendrix50: the desktop program. It runs from the folder that holds Config.ini, Graphics/
// and Sound/; Config.ini is looked up beside the executable.
#include "shell/key_repeat.h"
#include "shell/program.h"
#include "shell/quit_signals.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quendrix50"));
    q50::use_detectable_auto_repeat();

    q50::ProgramOptions options;
    options.executable_dir = QCoreApplication::applicationDirPath().toStdString();
    options.current_dir = QDir::currentPath().toStdString();
    q50::Program program(std::move(options));

    // A signal ends the program as closing its window does.
    q50::QuitSignals quit_signals([&program](int) {
        program.FormClose();
        program.end(0);
    });

    program.start();
    if (program.ending()) return program.exit_code();
    const int rc = QApplication::exec();
    return program.ending() ? program.exit_code() : rc;
}
