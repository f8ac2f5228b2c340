// quendrix50: the desktop program. Its delivered data (Config.ini, Graphics/, Sound/) lies beside
// the executable in a build or a copy unpacked by hand, and under <prefix>/share/quendrix50 in
// an installed copy; the program runs from that folder.
#include "display/skin_check.h"
#include "shell/command_line.h"
#include "shell/core/data_folder.h"
#include "shell/key_repeat.h"
#include "shell/program.h"
#include "shell/quit_signals.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

QStringList arguments_of(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

void print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    if (!text.endsWith('\n')) std::fputc('\n', to);
}

// The executable's folder without an application object (which needs a display).
fs::path executable_dir(const char* argv0) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path();
    return fs::absolute(argv0, ec).parent_path();
}

} // namespace

int main(int argc, char** argv) {
    // The options that only print something are answered before any window system is needed.
    const q50::CommandLine cl =
        q50::parse_command_line(arguments_of(argc, argv), QDir::currentPath());
    switch (cl.action) {
    case q50::CommandLine::Action::Help:
    case q50::CommandLine::Action::Version:
        print(stdout, cl.text);
        return 0;
    case q50::CommandLine::Action::Error:
        print(stderr, cl.text);
        return q50::kUsageError;
    case q50::CommandLine::Action::CheckSkin: {
        const q50::SkinReport report = q50::check_skin(cl.check_dir.toStdString());
        std::fputs(report.text().c_str(), stdout);
        return report.sound() ? 0 : 1;
    }
    case q50::CommandLine::Action::Run:
        break;
    }
    if (!cl.skin_dir.isEmpty() && !QFileInfo::exists(cl.skin_dir + QStringLiteral("/Config.ini"))) {
        print(stderr, QStringLiteral("quendrix50: no Config.ini in %1").arg(cl.skin_dir));
        return q50::kUsageError;
    }

    const q50::DataFolder data = q50::find_data_folder(executable_dir(argv[0]));
    // An installed copy runs from its data folder, where Sound/ and the texts are, just as
    // the copy in a build folder is started from beside its data.
    if (data.installed) fs::current_path(data.dir);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quendrix50"));
    q50::use_detectable_auto_repeat();

    q50::ProgramOptions options;
    options.executable_dir =
        data.installed ? data.dir : fs::path(QCoreApplication::applicationDirPath().toStdString());
    options.current_dir = QDir::currentPath().toStdString();
    options.installed = data.installed;
    options.skin_dir = cl.skin_dir.toStdString();
    options.fullscreen = cl.fullscreen;
    q50::Program program(std::move(options));

    // A signal ends the program as closing its window does.
    q50::QuitSignals quit_signals([&program](int) {
        program.FormClose();
        program.end(0);
    });

    q50::QuitSignals::set_starting(true);
    program.start();
    q50::QuitSignals::set_starting(false);
    if (program.ending()) return program.exit_code();
    const int rc = QApplication::exec();
    return program.ending() ? program.exit_code() : rc;
}
