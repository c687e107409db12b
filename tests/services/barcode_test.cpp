#include "services/barcode.h"

#include <gtest/gtest.h>

using namespace vorla;

TEST(Barcode, DigitsKeepOnlyASCIIDigits)
{
    const struct { const char *text; const char *digits; } cases[] = {
        {"5 012345-678900", "5012345678900"},
        {"", ""},
        {"abc", ""},
        {"１２3", "3"},                  // full-width digits dropped
        {"٣4", "4"},                     // Arabic-Indic digit dropped
        {"1\u03012", "2"},               // a digit with a combining mark is another character
        {"²5", "5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Barcode::digits(QString::fromUtf8(c.text)), QString::fromUtf8(c.digits));
    }
}

TEST(Barcode, Checksum)
{
    const struct { const char *text; bool valid; } cases[] = {
        {"4006381333931", true},   // EAN-13
        {"4006381333932", false},  // last digit raised
        {"4 006381 333931", false},
        {"4006381333931\n", false},
        {"96385074", true},        // EAN-8
        {"036000291452", true},    // UPC-A
        {"0360002914", false},     // 10 digits
        {"03600029145200", false}, // 14 digits
        {"", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Barcode::hasValidChecksum(QString::fromUtf8(c.text)), c.valid);
    }
}

TEST(Barcode, Variants)
{
    EXPECT_EQ(Barcode::variants(u"036000291452"),
              (QStringList{QStringLiteral("036000291452"), QStringLiteral("0036000291452")}));
    EXPECT_EQ(Barcode::variants(u"0036000291452"),
              (QStringList{QStringLiteral("0036000291452"), QStringLiteral("036000291452")}));
    EXPECT_EQ(Barcode::variants(u"4006381333931"), QStringList{QStringLiteral("4006381333931")});
    EXPECT_EQ(Barcode::variants(u"12-34"), QStringList{QStringLiteral("1234")});
    EXPECT_TRUE(Barcode::variants(u"").isEmpty());
    EXPECT_TRUE(Barcode::variants(u"none").isEmpty());
}

TEST(Barcode, MatchesIgnoringLeadingZeros)
{
    EXPECT_TRUE(Barcode::matches(u"036000291452", u"0036000291452"));
    EXPECT_TRUE(Barcode::matches(u"12345", u"0012345"));
    EXPECT_TRUE(Barcode::matches(u"0 36000-291452", u"36000291452"));
    EXPECT_FALSE(Barcode::matches(u"", u""));
    EXPECT_FALSE(Barcode::matches(u"000", u"0"));
    EXPECT_FALSE(Barcode::matches(u"12345", u""));
    EXPECT_FALSE(Barcode::matches(u"12345", u"12346"));
}
