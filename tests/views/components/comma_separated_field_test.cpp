#include "views/components/comma_separated_field.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;

TEST(CommaSeparatedField, ParsesPiecesBetweenCommas)
{
    const struct
    {
        const char *text;
        QStringList values;
    } cases[] = {
        { "A,,B ,C", { u"A"_s, u"B"_s, u"C"_s } },
        { "", {} },
        { ",,,", {} },
        { " , \t,", {} },
        { "\tRock , Jazz\t", { u"Rock"_s, u"Jazz"_s } },
        { "Rock, Rock", { u"Rock"_s, u"Rock"_s } },
        { "Hip Hop", { u"Hip Hop"_s } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CommaSeparatedField::parse(QString::fromUtf8(c.text)), c.values);
    }
}

TEST(CommaSeparatedField, ShowsTheListOnceWhenFirstShown)
{
    CommaSeparatedField field(QStringLiteral("Genres"));
    field.setValues({ QStringLiteral("A"), QStringLiteral("B") });
    QSignalSpy changed(&field, &CommaSeparatedField::valuesChanged);
    field.show();
    EXPECT_EQ(field.text(), QStringLiteral("A, B"));
    EXPECT_EQ(field.placeholderText(), QStringLiteral("Separate with commas"));
    EXPECT_EQ(changed.count(), 0); // loading the text does not rewrite the list

    // A later change of the list elsewhere leaves the text alone, also when shown again.
    field.setValues({ QStringLiteral("Z") });
    field.hide();
    field.show();
    EXPECT_EQ(field.text(), QStringLiteral("A, B"));
}

TEST(CommaSeparatedField, TypingRewritesTheWholeList)
{
    CommaSeparatedField field(QStringLiteral("Styles"));
    field.setValues({ QStringLiteral("Dub") });
    field.show();
    QSignalSpy changed(&field, &CommaSeparatedField::valuesChanged);
    QTest::keyClicks(&field, QStringLiteral(", Ska,"));
    EXPECT_EQ(field.values(), (QStringList { QStringLiteral("Dub"), QStringLiteral("Ska") }));
    EXPECT_EQ(changed.count(), 6);
    field.clear();
    EXPECT_TRUE(field.values().isEmpty());
}
