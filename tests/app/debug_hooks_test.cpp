#include "app/debug_hooks.h"

#include "services/release_query.h"
#include "test_support.h"
#include "vorla_process.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
         {{u"VORLA_SNAPSHOT"_s, u"1"_s}, {u"VORLA_SNAPSHOT_ACTION"_s, u"add"_s}, {u"VORLA_PHOTO_LAYOUT"_s, u"x"_s}},
         ""},
        {"icon over lookup", {{u"VORLA_LOOKUP"_s, u"x"_s}, {u"VORLA_MAKE_ICON"_s, u"/tmp/i.png"_s}},
         "VORLA_MAKE_ICON"},
        {"lookup over scan", {{u"VORLA_SCAN_IMAGE"_s, u"a"_s}, {u"VORLA_LOOKUP"_s, u"b"_s}}, "VORLA_LOOKUP"},
        {"scan over photo", {{u"VORLA_ANALYZE_PHOTO"_s, u"a"_s}, {u"VORLA_SCAN_IMAGE"_s, u"b"_s}},
         "VORLA_SCAN_IMAGE"},
        {"photo over text", {{u"VORLA_READ_TEXT"_s, u"a"_s}, {u"VORLA_ANALYZE_PHOTO"_s, u"b"_s}},
         "VORLA_ANALYZE_PHOTO"},
        {"text over csv", {{u"VORLA_CSV_ROUNDTRIP"_s, u"a"_s}, {u"VORLA_READ_TEXT"_s, u"b"_s}},
         "VORLA_READ_TEXT"},
        {"csv alone", {{u"VORLA_CSV_ROUNDTRIP"_s, u"a.csv"_s}}, "VORLA_CSV_ROUNDTRIP"},
        {"empty value still selects", {{u"VORLA_LOOKUP"_s, u""_s}}, "VORLA_LOOKUP"},
        {"names are case-sensitive", {{u"vorla_lookup"_s, u"x"_s}}, ""},
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

namespace {

QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &contents)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    return path;
}

test::VorlaRun runRoundTrip(const QString &path)
{
    return test::runVorla({{QStringLiteral("VORLA_CSV_ROUNDTRIP"), path}});
}

} // namespace

TEST(DebugHooks, CsvRoundTripPrintsOneLinePerDraft)
{
    const test::VorlaRun run = runRoundTrip(test::fixturePath(QStringLiteral("csv/collection.csv")));
    EXPECT_EQ(run.exitStatus, 0);
    const QStringList expected = {
        QString::fromUtf8("Can \u2014 Tago Mago [1971] UAS 29 211 media=VG+ sleeve=VG "
                          "genres=[\"Rock\", \"Electronic\"] discogs=1234"),
        QString::fromUtf8("Nico \u2014 Chelsea Girl [?]  media=\u2014 sleeve=\u2014 genres=[] "
                          "discogs=-"),
        QString::fromUtf8("Sigur R\u00f3s \u2014 ( ) [?] FAT-CD 12 media=NM sleeve=\u2014 "
                          "genres=[\"Post Rock\", \"Ambient\"] discogs=-"),
        QString::fromUtf8("Unknown \u2014 Title \"quoted\" [1979] =X1 media=M sleeve=P "
                          "genres=[\"Jazz\"] discogs=-"),
    };
    EXPECT_EQ(run.lines, expected);
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
}

TEST(DebugHooks, CsvRoundTripReportsErrorsWithStatusZero)
{
    QTemporaryDir dir;
    const QString unrecognized = QString::fromUtf8(
        "Error: This file doesn't look like a record collection. It needs at least an Artist or "
        "Title column.");
    const struct {
        const char *name;
        QString path;
        QStringList expected;
    } cases[] = {
        {"header only", writeFile(dir, "header.csv", "Title,Artist\r\n"), {}},
        {"empty file", writeFile(dir, "empty.csv", ""), {unrecognized}},
        {"no artist or title", writeFile(dir, "labels.csv", "Label\nHarvest\n"), {unrecognized}},
        {"not UTF-8", writeFile(dir, "latin1.csv", "Artist\nSigur R\xF3s\n"),
         {QString::fromUtf8("Error: The file \u201clatin1.csv\u201d couldn\u2019t be opened "
                            "because it isn\u2019t UTF-8 text.")}},
        {"missing file", dir.filePath(QStringLiteral("missing.csv")),
         {QString::fromUtf8("Error: The file \u201cmissing.csv\u201d couldn\u2019t be opened "
                            "because there is no such file.")}},
        {"a folder", dir.path(),
         {QString::fromUtf8("Error: The file \u201c%1\u201d couldn\u2019t be opened.")
                 .arg(QFileInfo(dir.path()).fileName())}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const test::VorlaRun run = runRoundTrip(c.path);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.lines, c.expected);
        EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
    }
}

TEST(DebugHooks, DescribesTextsListsAndQueries)
{
    EXPECT_EQ(DebugHooks::listDescription({}), QStringLiteral("[]"));
    EXPECT_EQ(DebugHooks::listDescription({u"Rock"_s, u"Folk"_s}), QStringLiteral("[\"Rock\", \"Folk\"]"));
    EXPECT_EQ(DebugHooks::quoted(QString::fromUtf8("a\"b\\c'd\te\nf\u00e9\x01")),
        QString::fromUtf8("\"a\\\"b\\\\c\\'d\\te\\nf\u00e9\\u{1}\""));
    EXPECT_EQ(DebugHooks::queryDescription(ReleaseQuery::parse(QStringLiteral("Harvest SHVL 804"))),
        QStringLiteral("ReleaseQuery(artist: \"\", title: \"\", label: \"Harvest\", catalogNumber: "
                       "\"SHVL 804\", text: \"\")"));
}
