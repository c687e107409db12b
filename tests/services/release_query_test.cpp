#include "services/release_query.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

QString text(const char *utf8) { return QString::fromUtf8(utf8); }

ReleaseQuery query(const char *artist, const char *title, const char *label, const char *catalogNumber,
    const char *free)
{
    return {text(artist), text(title), text(label), text(catalogNumber), text(free)};
}

} // namespace

TEST(ReleaseQuery, ParsesTypedLines)
{
    const struct {
        const char *line;
        ReleaseQuery expected;
    } cases[] = {
        // List markers and surrounding white space.
        {"  12. Can - Tago Mago \n", query("Can", "Tago Mago", "", "", "")},
        {"3) Can - Ege Bamyasi", query("Can", "Ege Bamyasi", "", "", "")},
        {"1234. Faust - IV", query("Faust", "IV", "", "", "")},
        {"12345. Faust", query("", "", "", "", "12345. Faust")},
        {"- Neu! - Neu! 75", query("Neu!", "Neu! 75", "", "", "")},
        {"\u2022 Harmonia", query("", "", "", "", "Harmonia")},
        {"\u00b7\tCluster", query("", "", "", "", "Cluster")},
        {"*Harmonia", query("", "", "", "", "*Harmonia")},
        {"2.Faust", query("", "", "", "", "2.Faust")},
        // Tab columns.
        {"Can\tTago Mago\tUAS 29 211\textra", query("Can", "Tago Mago", "", "UAS 29 211", "")},
        {"Can\t\t Tago Mago ", query("Can", "Tago Mago", "", "", "")},
        {"\tCan\t \t", query("", "", "", "", "Can")},
        {"SHVL 804\t \t", query("", "", "", "SHVL 804", "")},
        // Dash separators.
        {"Can - Tago Mago - UAS - 29211", query("Can", "Tago Mago", "", "UAS 29211", "")},
        {"Can \u2013 Tago Mago", query("Can", "Tago Mago", "", "", "")},
        {"Can \u2014 Tago Mago", query("Can", "Tago Mago", "", "", "")},
        {"Can - Tago Mago \u2014 UAS-29211", query("Can", "Tago Mago", "", "UAS-29211", "")},
        {"Jean-Michel Jarre", query("", "", "", "", "Jean-Michel Jarre")},
        {"Can -", query("", "", "", "", "Can -")},
        // Label and catalog number.
        {"Harvest SHVL 804", query("", "", "Harvest", "SHVL 804", "")},
        {"SHVL 804", query("", "", "", "SHVL 804", "")},
        {"Blue Note BST-84003", query("", "", "Blue Note", "BST-84003", "")},
        {"ECM 1064/65", query("", "", "", "ECM 1064/65", "")},
        {"Vertigo 6360.045", query("", "", "Vertigo", "6360.045", "")},
        {"Harvest SHVL", query("", "", "", "", "Harvest SHVL")},
        {"a b c d e f 123", query("", "", "", "", "a b c d e f 123")},
        {"Label #123", query("", "", "", "", "Label #123")},
        {"Island ABCDEFG 1", query("", "", "Island ABCDEFG", "1", "")},
        {"Island ABCDEFG", query("", "", "", "", "Island ABCDEFG")},
        {"Island ABCDEF1234567890ABCDEF123", query("", "", "", "", "Island ABCDEF1234567890ABCDEF123")},
        {"Melodiya \u0421\u041c-01234", query("", "", "Melodiya", "\u0421\u041c-01234", "")},
        {"Pink Floyd", query("", "", "", "", "Pink Floyd")},
        {"Tangerine\tDream", query("Tangerine", "Dream", "", "", "")},
        // Blank lines.
        {"", query("", "", "", "", "")},
        {" \t\r\n ", query("", "", "", "", "")},
        {"12. ", query("", "", "", "12.", "")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const ReleaseQuery parsed = ReleaseQuery::parse(text(c.line));
        EXPECT_EQ(parsed, c.expected) << parsed.artist.toStdString() << '|' << parsed.title.toStdString()
                                      << '|' << parsed.label.toStdString() << '|'
                                      << parsed.catalogNumber.toStdString() << '|'
                                      << parsed.text.toStdString();
    }
}

TEST(ReleaseQuery, FreeTextJoinsFilledSlotsInOrder)
{
    EXPECT_EQ(query("Can", "Tago Mago", "United Artists", "UAS 29 211", "1971").freeText(),
        text("Can Tago Mago United Artists UAS 29 211 1971"));
    EXPECT_EQ(query("", "", "Harvest", "SHVL 804", "").freeText(), text("Harvest SHVL 804"));
    EXPECT_EQ(query(" Can ", "", "", "", "").freeText(), text(" Can "));
    EXPECT_TRUE(ReleaseQuery::parse(text("   ")).freeText().isEmpty());
}

TEST(ReleaseQuery, IsHashable)
{
    const QSet<ReleaseQuery> set = {query("a", "b", "", "", ""), query("a", "b", "", "", ""),
        query("", "", "", "", "a b")};
    EXPECT_EQ(set.size(), 2);
}

TEST(ReleaseQuery, NormalizesNames)
{
    const struct {
        const char *name;
        const char *expected;
    } cases[] = {
        {"The Beatles", "beatles"},
        {"Simon & Garfunkel", "simonandgarfunkel"},
        {"The Mamas & the Papas", "mamasandthepapas"},
        {"Mamas and The Papas", "mamasandthepapas"},
        {"Bj\u00f6rk", "bjork"},
        {"Bjo\u0308rk", "bjork"},
        {"Sigur R\u00f3s", "sigurros"},
        {"  The Who", "thewho"},
        {"Theatre of Tragedy", "theatreoftragedy"},
        {"AC/DC", "acdc"},
        {"\u30ad\u30ea\u30f3", "\u30ad\u30ea\u30f3"},
        {"", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReleaseQuery::normalizedName(text(c.name)), text(c.expected));
    }
}

TEST(ReleaseQuery, NormalizesCatalogNumbers)
{
    for (const char *number : {"SHVL-804", "shvl 804", "S.H.V.L. 804", "SHVL804",
             "SHVL–804", " shvl 804"}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(ReleaseQuery::normalizedCatalogNumber(text(number)), text("shvl804"));
    }
    EXPECT_EQ(ReleaseQuery::normalizedCatalogNumber(text("ÉMI-٣")), text("émi٣"));
}
