#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

namespace q50 {
namespace {

using Action = CommandLine::Action;

CommandLine parse(QStringList args) {
    args.prepend(QStringLiteral("quendrix50"));
    return parse_command_line(args, QStringLiteral("/home/user/work"));
}

TEST(CommandLine, NoOptionsRunsAsAlways) {
    const CommandLine c = parse({});
    EXPECT_EQ(c.action, Action::Run);
    EXPECT_TRUE(c.skin_dir.isEmpty());
    EXPECT_FALSE(c.fullscreen.has_value());
}

TEST(CommandLine, SkinFolderIsMadeAbsoluteFromWhereTheUserStands) {
    EXPECT_EQ(parse({"--skin", "skins/blue"}).skin_dir, "/home/user/work/skins/blue");
    EXPECT_EQ(parse({"--skin=../blue/"}).skin_dir, "/home/user/blue");
    EXPECT_EQ(parse({"--skin", "/opt/skin"}).skin_dir, "/opt/skin");
    EXPECT_EQ(parse({"--skin", "/opt/skin"}).action, Action::Run);
}

TEST(CommandLine, PresentationForThisRun) {
    EXPECT_EQ(parse({"--fullscreen"}).fullscreen, std::optional<bool>(true));
    EXPECT_EQ(parse({"--windowed"}).fullscreen, std::optional<bool>(false));
    const CommandLine both = parse({"--skin", "s", "--windowed"});
    EXPECT_EQ(both.fullscreen, std::optional<bool>(false));
    EXPECT_EQ(both.skin_dir, "/home/user/work/s");
}

TEST(CommandLine, CheckSkinEndsWithTheReportRatherThanStarting) {
    const CommandLine c = parse({"--check-skin", "mine"});
    EXPECT_EQ(c.action, Action::CheckSkin);
    EXPECT_EQ(c.check_dir, "/home/user/work/mine");
    // Checking wins over the options of a run.
    EXPECT_EQ(parse({"--windowed", "--check-skin", "/x"}).action, Action::CheckSkin);
}

TEST(CommandLine, HelpEndsWithTheDefaultKeysAsTheReadmeGivesThem) {
    const QStringList lines = parse({"--help"}).text.trimmed().split('\n');
    ASSERT_GE(lines.size(), 3);
    const QStringList keys = lines.mid(lines.size() - 3);
    EXPECT_TRUE(keys[0].startsWith("Keys: 1 Game A, 2 Game B, 3 Time, 5 open/ACL"));
    EXPECT_TRUE(keys[1].contains("right-click for the menu"));
    EXPECT_TRUE(keys[2].startsWith("Controller: Start Game A"));
    QFile readme(QStringLiteral(Q50_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    for (const QString& line : keys) {
        EXPECT_LE(line.size(), 80) << line.toStdString();
        EXPECT_TRUE(text.contains(line)) << "README.md lacks: " << line.toStdString();
    }
}

TEST(CommandLine, HelpAndVersionPrintAndEnd) {
    const CommandLine help = parse({"--help"});
    EXPECT_EQ(help.action, Action::Help);
    for (const char* option : {"--skin <DIR>", "--fullscreen", "--windowed", "--check-skin <DIR>",
                               "--version", "--help"})
        EXPECT_TRUE(help.text.contains(QLatin1String(option))) << option;
    EXPECT_EQ(parse({"-h"}).action, Action::Help);
    const CommandLine version = parse({"--version"});
    EXPECT_EQ(version.action, Action::Version);
    EXPECT_TRUE(version.text.startsWith("quendrix50 ")) << version.text.toStdString();
    EXPECT_TRUE(version.text.contains(QRegularExpression("[0-9]+\\.[0-9]+")));
    // The licence travels with the version, as the package and the about window state it.
    EXPECT_TRUE(version.text.contains("GPL-3.0-or-later")) << version.text.toStdString();
    EXPECT_TRUE(version.text.contains("CC-BY-SA-4.0")) << version.text.toStdString();
    EXPECT_EQ(parse({"-v"}).action, Action::Version);
}

TEST(CommandLine, WhatCannotBeUnderstoodIsAnErrorNamingIt) {
    struct Case {
        QStringList args;
        const char* said;
    } cases[] = {
        {{"--skn", "x"}, "skn"},
        {{"--skin"}, "skin"},
        {{"--check-skin"}, "check-skin"},
        {{"--skin", ""}, "--skin needs a folder"},
        {{"--fullscreen", "--windowed"}, "exclude each other"},
        {{"--skin", "a", "--skin", "b"}, "more than once"},
        {{"stray"}, "unexpected argument 'stray'"},
    };
    for (const Case& c : cases) {
        const CommandLine r = parse(c.args);
        EXPECT_EQ(r.action, Action::Error) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.text.contains(QLatin1String(c.said))) << r.text.toStdString();
        EXPECT_TRUE(r.text.contains(QLatin1String("--help"))) << r.text.toStdString();
    }
}

} // namespace
} // namespace q50
