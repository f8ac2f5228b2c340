#include "shell/command_line.h"

#include <QCommandLineParser>
#include <QDir>

namespace q50 {

namespace {

QString version_text() {
    const QString licence = QStringLiteral(
        "\nFree software under the GNU GPL, version 3 or later (GPL-3.0-or-later); its "
        "pictures,\nsounds and texts are under CC-BY-SA-4.0. There is NO WARRANTY, to the "
        "extent\npermitted by law.");
#ifdef Q50_VERSION
    return QStringLiteral("quendrix50 " Q50_VERSION) + licence;
#else
    return QStringLiteral("quendrix50") + licence;
#endif
}

// The default keys, also the README's: a player who asks for help wants to know how to play.
constexpr const char* kKeysText =
    "Keys: 1 Game A, 2 Game B, 3 Time, 5 open/ACL, Left/Right walk, Ctrl bomb.\n"
    "Mouse: the pictured buttons; right-click for the menu. F12 fullscreen, Esc exit.\n"
    "Controller: Start Game A, Back Game B, Y Time, X open/ACL, d-pad walk, A bomb.\n";

CommandLine error(const QString& text) {
    CommandLine c;
    c.action = CommandLine::Action::Error;
    c.text =
        QStringLiteral("quendrix50: %1\nTry 'quendrix50 --help' for more information.").arg(text);
    return c;
}

} // namespace

CommandLine parse_command_line(const QStringList& arguments, const QString& current_dir) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulator of a liquid-crystal handheld game: carry the bomb past the "
                       "flames.\nWithout options it starts with the skin chosen in its menu and "
                       "the stored presentation."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption skin(
        QStringLiteral("skin"),
        QStringLiteral("Use the skin in DIR (a folder holding a Config.ini and its pictures) "
                       "for this run; relative paths in it are resolved from DIR."),
        QStringLiteral("DIR"));
    const QCommandLineOption fullscreen(QStringLiteral("fullscreen"),
                                        QStringLiteral("Fullscreen presentation for this run."));
    const QCommandLineOption windowed(QStringLiteral("windowed"),
                                      QStringLiteral("Windowed presentation for this run."));
    const QCommandLineOption check(
        QStringLiteral("check-skin"),
        QStringLiteral("Check the skin in DIR, print a report and exit: 0 when it is sound, 1 "
                       "when it has errors."),
        QStringLiteral("DIR"));
    parser.addOptions({help, version, skin, fullscreen, windowed, check});

    if (!parser.parse(arguments)) return error(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return error(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    CommandLine c;
    if (parser.isSet(help)) {
        c.action = CommandLine::Action::Help;
        c.text = parser.helpText().replace(QLatin1String("<executable_name>"),
                                           QLatin1String("quendrix50")) +
                 QLatin1String("\n") + QLatin1String(kKeysText);
        return c;
    }
    if (parser.isSet(version)) {
        c.action = CommandLine::Action::Version;
        c.text = version_text();
        return c;
    }
    // A repeated option would leave the user guessing which one counts.
    for (const QCommandLineOption* o : {&skin, &check}) {
        if (parser.values(*o).size() > 1)
            return error(QStringLiteral("--%1 given more than once").arg(o->names().first()));
    }
    if (parser.isSet(fullscreen) && parser.isSet(windowed))
        return error(QStringLiteral("--fullscreen and --windowed exclude each other"));

    const QDir here(current_dir);
    auto folder = [&here](const QString& value) {
        return QDir::cleanPath(here.absoluteFilePath(value));
    };
    if (parser.isSet(check)) {
        if (parser.value(check).isEmpty())
            return error(QStringLiteral("--check-skin needs a folder"));
        c.action = CommandLine::Action::CheckSkin;
        c.check_dir = folder(parser.value(check));
        return c;
    }
    if (parser.isSet(skin)) {
        if (parser.value(skin).isEmpty()) return error(QStringLiteral("--skin needs a folder"));
        c.skin_dir = folder(parser.value(skin));
    }
    if (parser.isSet(fullscreen)) c.fullscreen = true;
    if (parser.isSet(windowed)) c.fullscreen = false;
    return c;
}

} // namespace q50
