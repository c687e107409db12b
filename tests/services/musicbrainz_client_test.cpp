#include "services/musicbrainz_client.h"

#include <QString>

#include <gtest/gtest.h>

using namespace vorla;

TEST(MusicBrainzClient, IsValidID)
{
    const struct { const char *text; bool valid; } cases[] = {
        {"0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b", true},
        {"0B3A6F4E-4C7B-4BD0-9F6A-1C2D3E4F5A6B", true},
        {" 0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b", false},
        {"{0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b}", false},
        {"0b3a6f4e4c7b4bd09f6a1c2d3e4f5a6b", false},
        {"0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6g", false},
        {"0b3a6f4e-4c7b-4bd0-9f6a1-c2d3e4f5a6b", false},
        {"", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MusicBrainzClient::isValidID(QString::fromUtf8(c.text)), c.valid);
    }
}

TEST(MusicBrainzClient, KeywordsBlankOutQuerySyntax)
{
    const struct
    {
        const char *text;
        const char *expected;
    } cases[] = {
        { "Songs (Live) - Part: One!", "Songs Live Part One" },
        { "***", "" },
        { "  a   b  ", "a b" },
        { "a\tb", "a\tb" },
        { "AND OR NOT", "AND OR NOT" },
        { "+-&|!(){}[]^\"~*?:\\/", "" },
        { "AC/DC", "AC DC" },
        { "Bj\u00F6rk \u65E5\u672C", "Bj\u00F6rk \u65E5\u672C" },
        // A hyphen carrying a combining mark is not the syntax character.
        { "a -\u0301 b", "a -\u0301 b" },
        { "", "" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(
            MusicBrainzClient::keywords(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
}

TEST(MusicBrainzClient, PhraseQuotesAndEscapes)
{
    EXPECT_EQ(MusicBrainzClient::phrase("catno", "HR-101"), QStringLiteral("catno:\"HR-101\""));
    // A backslash and a double quote: two backslashes, then a backslash and the quote.
    EXPECT_EQ(
        MusicBrainzClient::phrase("release", "a\\\"b"), QStringLiteral("release:\"a\\\\\\\"b\""));
    EXPECT_EQ(MusicBrainzClient::phrase("artist", ""), QStringLiteral("artist:\"\""));
}
