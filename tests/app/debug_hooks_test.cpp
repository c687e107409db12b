#include "app/debug_hooks.h"

#include "vorla_process.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vorla;

TEST(DebugHooks, FirstCommandVariableInOrderWins)
{
    const struct {
        const char *name;
        QHash<QString, QString> environment;
        const char *expected;
    } cases[] = {
        {"nothing", {}, ""},
        {"staging variables select nothing",
         {{"VORLA_SNAPSHOT", "1"}, {"VORLA_SNAPSHOT_ACTION", "add"}, {"VORLA_PHOTO_LAYOUT", "x"}},
         ""},
        {"icon over lookup", {{"VORLA_LOOKUP", "x"}, {"VORLA_MAKE_ICON", "/tmp/i.png"}},
         "VORLA_MAKE_ICON"},
        {"lookup over scan", {{"VORLA_SCAN_IMAGE", "a"}, {"VORLA_LOOKUP", "b"}}, "VORLA_LOOKUP"},
        {"scan over photo", {{"VORLA_ANALYZE_PHOTO", "a"}, {"VORLA_SCAN_IMAGE", "b"}},
         "VORLA_SCAN_IMAGE"},
        {"photo over text", {{"VORLA_READ_TEXT", "a"}, {"VORLA_ANALYZE_PHOTO", "b"}},
         "VORLA_ANALYZE_PHOTO"},
        {"text over csv", {{"VORLA_CSV_ROUNDTRIP", "a"}, {"VORLA_READ_TEXT", "b"}},
         "VORLA_READ_TEXT"},
        {"csv alone", {{"VORLA_CSV_ROUNDTRIP", "a.csv"}}, "VORLA_CSV_ROUNDTRIP"},
        {"empty value still selects", {{"VORLA_LOOKUP", ""}}, "VORLA_LOOKUP"},
        {"names are case-sensitive", {{"vorla_lookup", "x"}}, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DebugHooks::requestedCommand(c.environment), QString::fromLatin1(c.expected));
    }
}

TEST(DebugHooks, EnvironmentIsCapturedOnce)
{
    const QHash<QString, QString> &first = DebugHooks::env();
    qputenv("VORLA_DEBUG_HOOKS_TEST_LATE", "1");
    EXPECT_FALSE(DebugHooks::env().contains(QStringLiteral("VORLA_DEBUG_HOOKS_TEST_LATE")));
    EXPECT_EQ(&first, &DebugHooks::env());
    qunsetenv("VORLA_DEBUG_HOOKS_TEST_LATE");
}

TEST(DebugHooks, EarlierCommandWinsAsAProcessWithoutDisplay)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("c.csv"));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Artist,Title\r\nNico,Chelsea Girl\r\n");
    file.close();

    // An icon with no path cannot be written: status 1, and the CSV check never runs.
    const test::VorlaRun run = test::runVorla(
        {{QStringLiteral("VORLA_MAKE_ICON"), QString()}, {QStringLiteral("VORLA_CSV_ROUNDTRIP"), csv}});
    EXPECT_EQ(run.exitStatus, 1);
    for (const QString &line : run.lines)
        EXPECT_FALSE(line.contains(u"Nico")) << line.toStdString();
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
}
