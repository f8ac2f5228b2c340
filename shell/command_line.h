#pragma once
// The program's command line. With no option the program starts exactly as it always has; the
// options choose a skin folder or the presentation for one run, or check a skin and end.
#include <QString>
#include <QStringList>

#include <optional>

namespace q50 {

struct CommandLine {
    enum class Action {
        Run,       // start the program
        Help,      // print `text` (the usage) and end with status 0
        Version,   // print `text` and end with status 0
        CheckSkin, // check the skin in `check_dir`, print the report and end
        Error,     // print `text` to the error stream and end with kUsageError
    };
    Action action = Action::Run;
    // --skin: the folder whose Config.ini and pictures this run uses (absolute).
    QString skin_dir;
    // --fullscreen (true) or --windowed (false) for this run only; the stored mode otherwise.
    std::optional<bool> fullscreen;
    // --check-skin: the folder to check (absolute).
    QString check_dir;
    QString text;
};

// Exit status of a command line that cannot be understood (a skin with errors ends with 1).
inline constexpr int kUsageError = 2;

// `arguments` starts with the program's name, as QCoreApplication::arguments() does. Relative
// folders are made absolute against `current_dir`, the folder the user started the program in.
CommandLine parse_command_line(const QStringList& arguments, const QString& current_dir);

} // namespace q50
