#include "scanner/photo_matcher.h"

#include "scanner/photo_matcher_fixtures.h"
#include "support/scripted_sources.h"

#include <gtest/gtest.h>

using namespace vorla;
using vorla::test::candidate;
using vorla::test::sourceIDs;
using vorla::test::spineEvidence;
using vorla::test::u8;

TEST(PhotoMatcherScore, SignificantTokensDropNoiseUnlessNothingIsLeft)
{
    const struct
    {
        const char *text;
        QStringList expected;
    } cases[] = {
        { "The Records", { u8("the"), u8("records") } },
        { "Low Harbour (2)", { u8("low"), u8("harbour") } },
        { "The Album of the Tides", { u8("tides") } },
        { "", {} },
        { "Ana Lúa & The Tides", { u8("ana"), u8("lua"), u8("tides") } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PhotoMatcher::significantTokens(u8(c.text)), c.expected);
    }
}

TEST(PhotoMatcherScore, PlainTextIsCutLikeAnyOther)
{
    // An en dash sends the same words through the Unicode path.
    for (const char *text : { "Ana Lua & The Tides", "LOW HARBOUR (2)", "abc-1234/x_y", "",
             "Side A: 1. Northbound, 2. Lanterns", "&&", "R&B" }) {
        SCOPED_TRACE(text);
        EXPECT_EQ(PhotoMatcher::tokens(u8(text)), PhotoMatcher::tokens(u8(text) + u8("–")));
    }
}

TEST(PhotoMatcherScore, EditDistanceCountsCharacters)
{
    const struct
    {
        const char *a;
        const char *b;
        int expected;
    } cases[] = {
        { "", "", 0 },
        { "", "abc", 3 },
        { "harbour", "", 7 },
        { "kitten", "sitting", 3 },
        { "meridain", "meridian", 2 },
        { "harbor", "harbour", 1 },
        // An accent written as its own mark is part of one character.
        { "cafe\xCC\x81", "cafe", 1 },
        { "\xF0\x9F\x8E\xB5x", "x", 1 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(PhotoMatcher::editDistance(u8(c.a), u8(c.b)), c.expected);
        EXPECT_EQ(PhotoMatcher::editDistance(u8(c.b), u8(c.a)), c.expected);
    }
}

// The title share shows whether a title word is found in the evidence's text.
TEST(PhotoMatcherScore, WordsAreFoundTolerantlyOrInsideTheJoinedText)
{
    const struct
    {
        const char *titleWord;
        const char *evidenceLine;
        double expected;
    } cases[] = {
        { "raod", "road", 0 }, // 4 characters must be equal
        { "harbor", "harbour", 1 }, // one edit within 8 characters
        { "lanterns", "lantern", 1 },
        { "meridain", "meridian", 0 }, // a swap is two edits
        { "northbund", "northbound", 1 }, // 10 characters allow two
        { "harbour", "low harbour", 1 },
        { "harbour", "lowharbour", 1 }, // glued to its neighbour
        { "harbour", "har bour", 1 }, // split in two
        { "sea", "seaside", 0 }, // too short for the substring rule
        { "tide", "tidewater", 1 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.titleWord);
        const auto s = PhotoMatcher::score(candidate(u8("1"), u8("Nobody"), u8(c.titleWord)),
            spineEvidence({ u8(c.evidenceLine) }));
        EXPECT_DOUBLE_EQ(s.title, c.expected);
    }
}

TEST(PhotoMatcherScore, EmptyWordListsScoreNothing)
{
    const auto s = PhotoMatcher::score(
        candidate(u8("1"), u8(""), u8("")), spineEvidence({ u8("Low Harbour"), u8("Ana Lua") }));
    EXPECT_EQ(s.title, 0);
    EXPECT_EQ(s.artist, 0);
    EXPECT_FALSE(s.certain);
}

TEST(PhotoMatcherScore, VariousArtistsTakeTheTitleShare)
{
    for (const char *artist : { "Various Artists", "Various", "VARIOUS" }) {
        SCOPED_TRACE(artist);
        const auto s = PhotoMatcher::score(candidate(u8("1"), u8(artist), u8("Harbour Songs")),
            spineEvidence({ u8("HARBOUR SONGS") }));
        EXPECT_EQ(s.title, 1);
        EXPECT_EQ(s.artist, 1);
        EXPECT_TRUE(s.certain);
    }
}

TEST(PhotoMatcherScore, CatalogNumbersCompareByLettersAndNumbers)
{
    const PhotoEvidence e = spineEvidence({ u8("Low Harbour"), u8("ABC-1234") });
    EXPECT_TRUE(
        PhotoMatcher::score(candidate(u8("1"), u8("X"), u8("Y"), u8("abc 1234")), e).catalogNumber);
    EXPECT_FALSE(
        PhotoMatcher::score(candidate(u8("1"), u8("X"), u8("Y"), u8("ABC-1235")), e).catalogNumber);
    EXPECT_FALSE(
        PhotoMatcher::score(candidate(u8("1"), u8("X"), u8("Y"), u8("")), e).catalogNumber);
}

TEST(PhotoMatcherScore, CoverageIsTheShareOfTheEvidenceWordsInTheCandidate)
{
    // Own words: low, harbour, ana, lua, b7 ("the", "a" and one-letter words do not count).
    const PhotoEvidence e = spineEvidence({ u8("The Low Harbour"), u8("Ana Lua a x b7") });
    const auto s = PhotoMatcher::score(candidate(u8("1"), u8("Ana Lúa"), u8("Low Harbor")), e);
    EXPECT_DOUBLE_EQ(s.coverage, 4.0 / 5.0);
    EXPECT_DOUBLE_EQ(s.sum(), s.artist + s.title + s.coverage);
    const auto none = PhotoMatcher::score(candidate(u8("1"), u8("A"), u8("B")), spineEvidence({}));
    EXPECT_EQ(none.coverage, 0);
}

TEST(PhotoMatcherScore, CertainRule)
{
    const struct
    {
        const char *name;
        const char *artist;
        const char *title;
        const char *catalogNumber;
        const char *barcode;
        QStringList lines;
        QStringList barcodes;
        bool certain;
    } cases[] = {
        { "three quarters of both", "Echo Foxtrot Golf Hotel", "Alpha Bravo Charlie Delta", "", "",
            { u8("alpha bravo charlie"), u8("echo foxtrot golf") }, {}, true },
        { "half the title and the catalog number", "Nobody", "Alpha Bravo", "ABC-1234", "",
            { u8("alpha"), u8("ABC-1234") }, {}, true },
        { "two fifths and the catalog number", "Echo Foxtrot Golf Hotel India",
            "Alpha Bravo Charlie Delta Kilo", "ABC-1234", "",
            { u8("alpha bravo echo foxtrot"), u8("ABC-1234") }, {}, false },
        { "the barcode alone", "Nobody", "Harbour Songs", "", "5012345678901", {},
            { u8("05012345678901") }, true },
        { "a barcode but no usable title", "Nobody", "", "", "5012345678901", { u8("nobody") },
            { u8("5012345678901") }, false },
        { "a title read in full but no artist", "Echo Foxtrot", "Alpha Bravo", "", "",
            { u8("alpha bravo") }, {}, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto s = PhotoMatcher::score(
            candidate(u8("1"), u8(c.artist), u8(c.title), u8(c.catalogNumber), u8(c.barcode)),
            spineEvidence(c.lines, c.barcodes));
        EXPECT_EQ(s.certain, c.certain);
    }
}

TEST(PhotoMatcherScore, CertainScoresRankAboveUncertainOnes)
{
    PhotoMatcher::Score certainLow;
    certainLow.certain = true;
    certainLow.title = 0.5;
    PhotoMatcher::Score uncertainHigh;
    uncertainHigh.title = 1;
    uncertainHigh.artist = 1;
    uncertainHigh.coverage = 1;
    EXPECT_TRUE(uncertainHigh < certainLow);
    EXPECT_FALSE(certainLow < uncertainHigh);
    PhotoMatcher::Score other = uncertainHigh;
    other.catalogNumber = true;
    EXPECT_TRUE(uncertainHigh < other);
    EXPECT_FALSE(other == uncertainHigh);
}

TEST(PhotoMatcherScore, RankIsStableAndPutsCertainFirst)
{
    const PhotoEvidence e = spineEvidence({ u8("Low Harbour"), u8("Ana Lua"), u8("Tides") });
    const QList<ReleaseCandidate> pool = {
        candidate(u8("1"), u8("Someone"), u8("Tides")), // uncertain
        candidate(u8("2"), u8("Someone Else"), u8("Tides")), // uncertain, same sum
        candidate(u8("3"), u8("Ana Lua"), u8("Low Harbour")), // certain
        candidate(u8("4"), u8("Nobody"), u8("Nothing")), // nothing
    };
    EXPECT_EQ(PhotoMatcher::score(pool[0], e).sum(), PhotoMatcher::score(pool[1], e).sum());
    EXPECT_EQ(sourceIDs(PhotoMatcher::rank(pool, e)),
        (QStringList { u8("3"), u8("1"), u8("2"), u8("4") }));
    EXPECT_TRUE(PhotoMatcher::rank({}, e).isEmpty());
}

TEST(PhotoMatcherScore, PressingsOfOneReleaseAreNotAmbiguous)
{
    const PhotoEvidence e = spineEvidence({ u8("Low Harbour"), u8("Ana Lua") });
    const auto first = candidate(u8("1"), u8("Ana Lua"), u8("Low Harbour"));
    const auto pressing = candidate(u8("2"), u8("ANA LUA"), u8("Low Harbour"));
    const auto other = candidate(u8("3"), u8("Ana Lua"), u8("Harbour Low"));
    EXPECT_TRUE(PhotoMatcher::isUnambiguouslyCertain({ first, pressing }, e));
    EXPECT_FALSE(PhotoMatcher::isUnambiguouslyCertain({ first, other }, e));
    EXPECT_TRUE(PhotoMatcher::isUnambiguouslyCertain({ first }, e));
    EXPECT_FALSE(PhotoMatcher::isUnambiguouslyCertain({}, e));
    // An uncertain first candidate is never unambiguous.
    EXPECT_FALSE(PhotoMatcher::isUnambiguouslyCertain(
        { candidate(u8("4"), u8("Nobody"), u8("Harbour")), first }, e));
}

TEST(PhotoMatcherScore, RivalsWithinOneHundredthAreAmbiguous)
{
    // Two different releases, both certain; the first one's label holds one more of the
    // evidence's own words, so its coverage is one word higher.
    const struct
    {
        int ownWords;
        bool unambiguous;
    } cases[] = { { 200, false }, { 50, true } }; // sums differ by 0.005 and 0.02
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ownWords);
        QStringList filler;
        for (int i = 0; i < c.ownWords - 4; ++i)
            filler.append(QStringLiteral("qz%1").arg(i));
        const PhotoEvidence e
            = spineEvidence({ u8("Low Harbour"), u8("Ana Lua"), filler.join(u' ') });
        auto first = candidate(u8("1"), u8("Ana Lua"), u8("Low Harbour"));
        first.label = u8("qz0");
        const auto rival = candidate(u8("2"), u8("Ana Lua"), u8("Harbour Low"));
        const double difference
            = PhotoMatcher::score(first, e).sum() - PhotoMatcher::score(rival, e).sum();
        EXPECT_NEAR(difference, 1.0 / c.ownWords, 1e-9);
        EXPECT_EQ(PhotoMatcher::isUnambiguouslyCertain({ first, rival }, e), c.unambiguous);
    }
}

TEST(PhotoMatcherScore, SharedBarcodeDoesNotPickAPressing)
{
    const PhotoEvidence e = spineEvidence({ u8("ABC-1234") }, { u8("5012345678901") });
    const auto first
        = candidate(u8("1"), u8("Ana Lua"), u8("Low Harbour"), u8("ABC-1234"), u8("5012345678901"));
    const auto second
        = candidate(u8("2"), u8("Ana Lua"), u8("Low Harbour"), u8("ABC-9999"), u8("5012345678901"));
    const auto sameNumber
        = candidate(u8("3"), u8("Ana Lua"), u8("Low Harbour"), u8("ABC 1234"), u8("5012345678901"));
    const auto elsewhere
        = candidate(u8("4"), u8("Ana Lua"), u8("Low Harbour"), u8(""), u8("5099999999999"));
    // Only the catalog number read on the photo tells the pressings apart.
    EXPECT_TRUE(PhotoMatcher::isUnambiguouslyCertain({ first, second }, e));
    EXPECT_FALSE(PhotoMatcher::isUnambiguouslyCertain({ first, sameNumber }, e));
    EXPECT_FALSE(PhotoMatcher::isUnambiguouslyCertain(
        { second,
            candidate(u8("5"), u8("Ana Lua"), u8("Low Harbour"), u8(""), u8("5012345678901")) },
        spineEvidence({}, { u8("5012345678901") })));
    EXPECT_TRUE(PhotoMatcher::isUnambiguouslyCertain({ first, elsewhere }, e));
}

TEST(PhotoMatcherScore, TracklistConfirmsWithEnoughTitlesReadInFull)
{
    const PhotoEvidence e = spineEvidence(
        { u8("Low Harbour"), u8("Ana Lua"), u8("SIDE A 1. Northbound 2. Lanterns") });
    const struct
    {
        const char *name;
        QStringList titles;
        bool confirmed;
    } cases[] = {
        { "three read", { u8("Low Harbour"), u8("Northbound"), u8("Lanterns") }, true },
        { "two of four", { u8("Northbound"), u8("Lanterns"), u8("Gulls"), u8("Ferries") }, true },
        { "two of five",
            { u8("Northbound"), u8("Lanterns"), u8("Gulls"), u8("Ferries"), u8("Tides") }, false },
        { "one only", { u8("Northbound") }, false },
        { "half a title", { u8("Northbound Again"), u8("Lanterns"), u8("Gulls") }, false },
        { "untitled tracks left out",
            { u8("Northbound"), u8("Lanterns"), u8(""), u8("-"), u8("Gulls"), u8("Ferries") },
            true },
        { "no titles", { u8(""), u8("") }, false },
        { "no tracks", {}, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PhotoMatcher::tracklistConfirms(vorla::test::titled(c.titles), e), c.confirmed);
    }
}
