#include "services/release_candidate.h"
#include "core/text_util.h"

#include <QMap>

#include <gtest/gtest.h>

using namespace vorla;

TEST(TextUtil, CleanArtistName)
{
    const struct { const char *name; const char *expected; } cases[] = {
        {"Artist (2)", "Artist"},
        {"Artist(12)", "Artist"},
        {"The (1) Band", "The (1) Band"},
        {"Artist (Live)", "Artist (Live)"},
        {" (3)", ""},
        {" Artist \t", "Artist"},
        {"Artist (2) (3)", "Artist (2)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextUtil::cleanArtistName(QString::fromUtf8(c.name)), QString::fromUtf8(c.expected));
    }
}

TEST(TextUtil, Trimming)
{
    EXPECT_EQ(TextUtil::trimmedSpacesAndTabs(u" \t\u00a0x y\t "), QStringLiteral("x y"));
    EXPECT_EQ(TextUtil::trimmedSpacesAndTabs(u"\nx\n"), QStringLiteral("\nx\n"));
    EXPECT_EQ(TextUtil::trimmedSpacesAndTabs(u" \t "), QString());
    EXPECT_EQ(TextUtil::trimmedWhitespaceAndNewlines(u"\r\n x \n"), QStringLiteral("x"));
}

TEST(TextUtil, Uniqued)
{
    EXPECT_TRUE(uniqued(QStringList()).isEmpty());
    const QStringList letters{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a"),
                              QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("A")};
    EXPECT_EQ(uniqued(letters), (QStringList{QStringLiteral("a"), QStringLiteral("b"),
                                             QStringLiteral("c"), QStringLiteral("A")}));
    // "é" precomposed and as e + combining accent are one text.
    EXPECT_EQ(uniqued(QStringList{QStringLiteral("\u00e9"), QStringLiteral("e\u0301")}).size(), 1);
    EXPECT_EQ(uniqued(QList<int>{3, 1, 3, 2, 1}), (QList<int>{3, 1, 2}));
    using Params = QMap<QString, QString>;
    const QList<Params> params{{{QStringLiteral("q"), QStringLiteral("x")}},
                               {{QStringLiteral("q"), QStringLiteral("x")}},
                               {{QStringLiteral("q"), QStringLiteral("y")}}};
    EXPECT_EQ(uniqued(params).size(), 2);
}

TEST(ReleaseCandidate, IdentityAndEquality)
{
    ReleaseCandidate a;
    a.source = MetadataSource::musicBrainz;
    a.sourceID = QStringLiteral("0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b");
    EXPECT_EQ(a.id(), QStringLiteral("musicBrainz:0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b"));
    ReleaseCandidate b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    b.owners = 3;
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    EXPECT_EQ(uniqued(QList<ReleaseCandidate>{a, b, a}).size(), 2);

    EXPECT_EQ(metadataSourceFromRawValue(u"discogs"), MetadataSource::discogs);
    EXPECT_EQ(metadataSourceFromRawValue(u"musicBrainz"), MetadataSource::musicBrainz);
    EXPECT_EQ(metadataSourceFromRawValue(u"MusicBrainz"), std::nullopt);
}
