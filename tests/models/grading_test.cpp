#include "models/grading.h"

#include <gtest/gtest.h>

using namespace vorla;

TEST(Grading, LabelsAndRawValuesReadBack)
{
    for (Grading grading : allGradings) {
        SCOPED_TRACE(label(grading).toStdString());
        EXPECT_EQ(gradingParsing(label(grading)), grading);
        EXPECT_EQ(gradingParsing(rawValue(grading)), grading);
        EXPECT_EQ(gradingFromRawValue(rawValue(grading)), grading);
        if (grading != Grading::notGraded) {
            EXPECT_EQ(shortLabel(grading), rawValue(grading));
        }
    }
    EXPECT_EQ(shortLabel(Grading::notGraded), QStringLiteral("\u2014"));
    EXPECT_EQ(label(Grading::goodPlus), QStringLiteral("Good Plus (G+)"));
}

TEST(Grading, RawValuesAreExact)
{
    EXPECT_EQ(gradingFromRawValue(u"vg+"), std::nullopt);
    EXPECT_EQ(gradingFromRawValue(u"Mint"), std::nullopt);
    EXPECT_EQ(gradingFromRawValue(u" VG"), std::nullopt);
    EXPECT_EQ(gradingFromRawValue(u""), Grading::notGraded);
}

TEST(Grading, ParsesFreeText)
{
    const struct { const char *text; Grading expected; } cases[] = {
        {" vg+ ", Grading::veryGoodPlus},
        {"m", Grading::mint},
        {"nm-", Grading::nearMint},
        {"Mint-", Grading::mint},
        {"unmarked", Grading::nearMint},
        {"Near Mint (NM or M-)", Grading::nearMint},
        {"Good+", Grading::good},
        {"Good Plus", Grading::goodPlus},
        {"G", Grading::good},
        {"F", Grading::fair},
        {"p", Grading::poor},
        {"G-", Grading::notGraded},
        {"F+", Grading::notGraded},
        {"EX", Grading::notGraded},
        {"", Grading::notGraded},
        {" \t ", Grading::notGraded},
        {"VG\n", Grading::veryGood},
        {"G\n", Grading::notGraded},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(gradingParsing(QString::fromUtf8(c.text)), c.expected);
    }
}
