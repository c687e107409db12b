#include "app/lookup_command.h"

#include "services/metadata_service.h"
#include "support/scripted_transport.h"
#include "test_support.h"
#include "vorla_process.h"

#include <QTextStream>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;
using vorla::test::readFixture;
using vorla::test::ScriptedTransport;
using vorla::test::VirtualLimiterTime;
using Answer = ScriptedTransport::Answer;

namespace {

const QString kDiscogs = QStringLiteral("https://api.discogs.com");

class LookupCommandTest : public testing::Test
{
protected:
    QStringList run(const MetadataService &service, const QString &text)
    {
        QString output;
        QTextStream out(&output);
        DebugHooks::printLookup(service, text, out);
        out.flush();
        if (output.endsWith(u'\n'))
            output.chop(1);
        return output.isEmpty() ? QStringList() : output.split(u'\n');
    }

    ScriptedTransport transport;
    VirtualLimiterTime time;
};

// A search answer of n vinyl hits with ids 1 to n.
QByteArray hits(int n)
{
    QByteArray json = R"({"results": [)";
    for (int i = 1; i <= n; ++i) {
        json += QByteArray(i > 1 ? "," : "") + R"({"id": )" + QByteArray::number(i)
            + R"(, "title": "Artist - Title )" + QByteArray::number(i)
            + R"(", "year": "1980", "format": ["Vinyl"], "label": ["L"], "catno": "C)"
            + QByteArray::number(i) + R"(", "country": "DE"})";
    }
    return json + "]}";
}

} // namespace

TEST_F(LookupCommandTest, PrintsCandidatesAndTheFirstOnesDetails)
{
    transport.answer(kDiscogs + u"/database/search?barcode=5012345678900&per_page=25&type=release"_s,
        200, readFixture(u"discogs/search_barcode.json"_s));
    transport.answer(kDiscogs + u"/releases/1000001"_s, 200, readFixture(u"discogs/release_full.json"_s));
    const QByteArray cover = readFixture(u"coverart/front-500.jpg"_s);
    transport.answer(QStringLiteral("https://i.discogs.example/images/front.jpg"), 200, cover);

    const QStringList lines
        = run(MetadataService { QStringLiteral("tok"), false }, u"5012345678900"_s);
    const QStringList expected = {
        u"Sources: Discogs=on MusicBrainz=false"_s,
        u"3 result(s)"_s,
        u"  [Discogs] Northern Lights \u2014 Harbour Songs (1977) Vinyl, LP, Album | Harbour "_s
        u"Records "_s
        u"HR 101 | UK"_s,
        u"  [Discogs] Northern Lights \u2014 Harbour Songs (?) CD, Album |   | "_s,
        u"  [Discogs]  \u2014  (?)  |   | "_s,
        u""_s,
        u"Details: Alpha, B. Feat. Gamma \u2014 Harbour Songs 1969"_s,
        u"  Label: Harbour Records HR 101  Format: 2\u00D7Vinyl, LP, Album + CD  Country: UK"_s,
        u"  Genres: Rock, Folk, World, & Country, Rock  Styles: Folk Rock"_s,
        u"  Barcode: 5012345678900  Source: "_s
        u"https://www.discogs.com/release/1000001-Alpha-Harbour-Songs"_s,
        QStringLiteral("  Cover: %1 bytes").arg(cover.size()),
        u"    A1\tLighthouse\t3:45"_s,
        u"    A2\tLow Tide\t"_s,
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(LookupCommandTest, ShowsAtMostEightCandidatesAndTheDetailsOfAnUnreachableCover)
{
    transport.setHandler([](const HttpRequest &request) -> std::optional<Answer> {
        if (request.url.path() == u"/database/search")
            return Answer(200, hits(10));
        if (request.url.path() == u"/releases/1")
            return Answer(200, R"({"id": 1, "title": "Title 1", "year": 1980,
                                   "images": [{"type": "primary", "uri": "https://img.example/1"}]})");
        return Answer(404);
    });
    const QStringList lines = run(MetadataService { std::nullopt, true }, u"Artist - Title"_s);
    // No track lines follow the cover line.
    ASSERT_EQ(lines.size(), 2 + 8 + 6);
    EXPECT_EQ(lines[0], QStringLiteral("Sources: Discogs=off (no token) MusicBrainz=true"));
    EXPECT_EQ(lines[1], QStringLiteral("10 result(s)"));
    EXPECT_EQ(
        lines[2], QStringLiteral("  [Discogs] Artist \u2014 Title 1 (1980) Vinyl | L C1 | DE"));
    EXPECT_EQ(
        lines[9], QStringLiteral("  [Discogs] Artist \u2014 Title 8 (1980) Vinyl | L C8 | DE"));
    EXPECT_EQ(lines[11], QStringLiteral("Details:  \u2014 Title 1 1980"));
    EXPECT_EQ(lines[12], QStringLiteral("  Label:    Format:   Country: "));
    EXPECT_EQ(lines[13], QStringLiteral("  Genres:   Styles: "));
    EXPECT_EQ(lines[14], QStringLiteral("  Barcode:   Source: https://www.discogs.com/release/1"));
    EXPECT_EQ(lines[15], QStringLiteral("  Cover: none"));
}

TEST_F(LookupCommandTest, ChoosesBarcodeLookupOrTextSearch)
{
    const struct
    {
        const char *text;
        bool barcode;
    } cases[] = {
        { "12345678", true },
        { "123456789012", true },
        { "4006381333931", true },
        { "1234567", false },
        { "1234 5678", false },
        { "12345678a", false },
        { "Artist - Title", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        transport.clear();
        transport.setHandler(
            [](const HttpRequest &) { return std::optional(Answer(200, R"({"results": []})")); });
        const QStringList lines = run(MetadataService { std::nullopt, false }, QString::fromUtf8(c.text));
        EXPECT_EQ(lines.value(1), QStringLiteral("0 result(s)"));
        ASSERT_FALSE(transport.requests().isEmpty());
        EXPECT_EQ(QUrlQuery(transport.requests().first().url).hasQueryItem(u"barcode"_s), c.barcode);
    }
}

TEST_F(LookupCommandTest, NothingToSearchOrAFailure)
{
    for (const QString &text : { u""_s, u"   "_s, u"\t"_s }) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(run(MetadataService { std::nullopt, true }, text),
            QStringList({ u"Sources: Discogs=off (no token) MusicBrainz=true"_s, u"0 result(s)"_s }));
    }
    EXPECT_TRUE(transport.requests().isEmpty());

    transport.setHandler([](const HttpRequest &request) -> std::optional<Answer> {
        if (request.url.path() == u"/database/search")
            return Answer(200, hits(1));
        return Answer(500);
    });
    EXPECT_EQ(run(MetadataService { std::nullopt, false }, u"12345678"_s),
        QStringList({ u"Sources: Discogs=off (no token) MusicBrainz=false"_s, u"1 result(s)"_s,
            u"  [Discogs] Artist \u2014 Title 1 (1980) Vinyl | L C1 | DE"_s,
            u"Error: The metadata service returned an error (HTTP 500)."_s }));

    transport.clear();
    transport.setHandler([](const HttpRequest &) { return std::optional(Answer(401)); });
    EXPECT_EQ(run(MetadataService { std::nullopt, false }, u"12345678"_s),
        QStringList({ u"Sources: Discogs=off (no token) MusicBrainz=false"_s,
            u"Error: Discogs requires a personal access token for this request. Add "_s
            u"one in Settings."_s }));
}

// The real program, without a display, a keyring or the network.
TEST(LookupCommand, RunsAsAProcess)
{
    const QString noBus = QStringLiteral("unix:path=/nonexistent/vorla-test-bus");
    for (const QString &text : { u""_s, u"   "_s }) {
        SCOPED_TRACE(text.toStdString());
        const auto run = vorla::test::runVorla(
            { { u"VORLA_LOOKUP"_s, text }, { u"DBUS_SESSION_BUS_ADDRESS"_s, noBus } });
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.lines,
            QStringList({ u"Sources: Discogs=off (no token) MusicBrainz=true"_s, u"0 result(s)"_s }));
        EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
    }

    // The test machines have no network: the barcode lookup fails at once.
    const auto run = vorla::test::runVorla(
        { { u"VORLA_LOOKUP"_s, u"4006381333931"_s }, { u"DBUS_SESSION_BUS_ADDRESS"_s, noBus } }, 60000);
    EXPECT_EQ(run.exitStatus, 0);
    ASSERT_EQ(run.lines.size(), 2);
    EXPECT_EQ(run.lines[0], QStringLiteral("Sources: Discogs=off (no token) MusicBrainz=true"));
    EXPECT_TRUE(run.lines[1].startsWith(u"Error: ")) << run.lines[1].toStdString();
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
}
