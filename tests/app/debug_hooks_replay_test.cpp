#include "app/debug_hooks.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

// One recorded Discogs search hit.
QByteArray hit(int id, const char *title, const char *catno, const char *owners)
{
    QByteArray community
        = owners ? QByteArray(R"(, "community": {"have": )") + owners + "}" : QByteArray();
    return QByteArray(R"({"id": )") + QByteArray::number(id) + R"(, "title": ")" + title
        + R"(", "catno": ")" + catno + R"(", "format": ["Vinyl", "LP"])" + community + "}";
}

QByteArray answer(const QList<QByteArray> &hits)
{
    QByteArray joined;
    for (const QByteArray &h : hits)
        joined += (joined.isEmpty() ? "" : ", ") + h;
    return R"({"results": [)" + joined + "]}";
}

class ReplayFile : public testing::Test
{
protected:
    std::optional<PhotoMatcher::Sources> load(const QByteArray &content)
    {
        const QString path = dir.filePath(QStringLiteral("replay.json"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        return DebugHooks::replaySourcesFromFile(path);
    }

    static QStringList ids(const QList<ReleaseCandidate> &candidates)
    {
        QStringList result;
        for (const ReleaseCandidate &c : candidates)
            result.append(c.id());
        return result;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ReplayFile, IsOffForFilesThatHoldNoJsonObject)
{
    EXPECT_FALSE(DebugHooks::replaySourcesFromFile(dir.filePath(QStringLiteral("missing.json"))));
    EXPECT_FALSE(DebugHooks::replaySourcesFromFile(dir.path())); // a folder
    EXPECT_FALSE(load("not json"));
    EXPECT_FALSE(load("[1, 2]"));
    EXPECT_FALSE(load(""));
    EXPECT_TRUE(load("{}"));
}

TEST_F(ReplayFile, SearchesByCatalogNumberElseFreeText)
{
    const auto sources = load(
        "{\"catno:ABC-1234\": " + answer({ hit(1, "A - One", "ABC-1234", "5") })
        + ", \"q:Ana Lua Low Harbour\": " + answer({ hit(2, "Ana Lua - Low Harbour", "", nullptr) })
        + ", \"q:\": " + answer({ hit(3, "Nobody - Nothing", "", nullptr) }) + "}");
    ASSERT_TRUE(sources);

    ReleaseQuery byCatalog;
    byCatalog.catalogNumber = QStringLiteral("ABC-1234");
    byCatalog.artist = QStringLiteral("Ana Lua");
    EXPECT_EQ(ids(sources->search(byCatalog, {})), QStringList { QStringLiteral("discogs:1") });

    // A catalog number without a recording does not fall back to the words.
    ReleaseQuery otherCatalog;
    otherCatalog.catalogNumber = QStringLiteral("abc-1234");
    otherCatalog.text = QStringLiteral("Ana Lua Low Harbour");
    EXPECT_TRUE(sources->search(otherCatalog, {}).isEmpty());

    ReleaseQuery words;
    words.text = QStringLiteral("Ana Lua Low Harbour");
    const QList<ReleaseCandidate> found = sources->search(words, {});
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].artist, QStringLiteral("Ana Lua"));
    EXPECT_EQ(found[0].title, QStringLiteral("Low Harbour"));

    EXPECT_EQ(
        ids(sources->search(ReleaseQuery(), {})), QStringList { QStringLiteral("discogs:3") });

    ReleaseQuery unknown;
    unknown.text = QStringLiteral("ana lua low harbour"); // keys compare exactly
    EXPECT_TRUE(sources->search(unknown, {}).isEmpty());
}

TEST_F(ReplayFile, AnswersMostOwnedFirst)
{
    const auto sources = load("{\"q:x\": "
        + answer({ hit(1, "A - Five", "", "5"), hit(2, "A - None", "", nullptr),
            hit(3, "A - Twelve", "", "12") })
        + "}");
    ASSERT_TRUE(sources);
    ReleaseQuery query;
    query.text = QStringLiteral("x");
    EXPECT_EQ(ids(sources->search(query, {})),
        (QStringList { QStringLiteral("discogs:3"), QStringLiteral("discogs:1"),
            QStringLiteral("discogs:2") }));
}

TEST_F(ReplayFile, AnswersOfAnotherShapeAreEmpty)
{
    const auto sources = load(R"({"q:text": "a text", "q:number": 3, "q:list": [1, 2],
        "q:results": {"results": 7}})");
    ASSERT_TRUE(sources);
    for (const char *text : { "text", "number", "list", "results" }) {
        SCOPED_TRACE(text);
        ReleaseQuery query;
        query.text = QString::fromLatin1(text);
        EXPECT_TRUE(sources->search(query, {}).isEmpty());
    }
}

TEST_F(ReplayFile, NeverLooksUpBarcodes)
{
    const auto sources = load("{\"q:5012345678901\": " + answer({ hit(1, "A - B", "", "1") })
        + ", \"catno:5012345678901\": " + answer({ hit(1, "A - B", "", "1") }) + "}");
    ASSERT_TRUE(sources);
    EXPECT_TRUE(sources->lookupBarcode(QStringLiteral("5012345678901"), {}).isEmpty());
}

TEST_F(ReplayFile, TracklistsByCandidateCatalogNumber)
{
    const auto sources = load(R"({
        "tracks:ABC-1234": {"tracklist": [
            {"position": "A1", "title": "Northbound", "duration": "3:12"},
            {"title": "Lanterns"}]},
        "tracks:NUM-1": {"tracklist": [{"position": "A1", "title": "One", "duration": 192}]},
        "tracks:NOT-LIST": {"tracklist": {"position": "A1"}},
        "tracks:NOT-OBJECT": [{"position": "A1", "title": "One"}],
        "tracks:MIXED": {"tracklist": [{"position": "A1", "title": "One"}, "Two"]}
    })");
    ASSERT_TRUE(sources);
    ReleaseCandidate candidate;
    candidate.catalogNumber = QStringLiteral("ABC-1234");
    const QList<Track> tracks = sources->tracklist(candidate, {});
    ASSERT_EQ(tracks.size(), 2);
    EXPECT_EQ(tracks[0].position, QStringLiteral("A1"));
    EXPECT_EQ(tracks[0].title, QStringLiteral("Northbound"));
    EXPECT_TRUE(tracks[0].duration.isEmpty()); // recorded durations are not read
    EXPECT_TRUE(tracks[1].position.isEmpty());
    EXPECT_EQ(tracks[1].title, QStringLiteral("Lanterns"));
    EXPECT_NE(tracks[0].id, tracks[1].id);

    for (const char *catno : { "NUM-1", "NOT-LIST", "NOT-OBJECT", "MIXED", "abc-1234", "" }) {
        SCOPED_TRACE(catno);
        candidate.catalogNumber = QString::fromLatin1(catno);
        EXPECT_TRUE(sources->tracklist(candidate, {}).isEmpty());
    }
}
