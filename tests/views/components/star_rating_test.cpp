#include "views/components/star_rating.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorla;

TEST(StarRating, TapSetsOrClearsTheRating)
{
    StarRating stars;
    stars.setEditable(true);
    stars.setRating(2);
    QSignalSpy edited(&stars, &StarRating::ratingEdited);
    stars.tapStar(3);
    EXPECT_EQ(stars.rating(), 3);
    stars.tapStar(3);
    EXPECT_EQ(stars.rating(), 0);
    EXPECT_EQ(edited.count(), 2);
}

TEST(StarRating, ClicksHitTheStarUnderThePointer)
{
    StarRating stars;
    stars.setStarSize(20);
    stars.setEditable(true);
    stars.resize(stars.sizeHint());
    EXPECT_EQ(stars.sizeHint(), QSize(5 * 20 + 4 * 2, 20));
    QTest::mouseClick(&stars, Qt::LeftButton, {}, QPoint(2 * 22 + 10, 10));
    EXPECT_EQ(stars.rating(), 3);
    EXPECT_EQ(stars.starAt(QPoint(0, 10)), 1);
    EXPECT_EQ(stars.starAt(QPoint(4 * 22 + 19, 10)), 5);
    EXPECT_EQ(stars.starAt(QPoint(200, 10)), 0);
}

TEST(StarRating, ReadOnlyIgnoresTapsKeysAndActions)
{
    StarRating stars;
    stars.setRating(4);
    QSignalSpy edited(&stars, &StarRating::ratingEdited);
    stars.tapStar(1);
    stars.increment();
    stars.decrement();
    QTest::keyClick(&stars, Qt::Key_Left);
    EXPECT_EQ(stars.rating(), 4);
    EXPECT_EQ(edited.count(), 0);
    EXPECT_EQ(stars.valueText(), QStringLiteral("4 of 5 stars"));
}

TEST(StarRating, StepsStayWithinZeroToFive)
{
    StarRating stars;
    stars.setEditable(true);
    stars.setRating(5);
    stars.increment();
    EXPECT_EQ(stars.rating(), 5);
    stars.setRating(0);
    stars.decrement();
    EXPECT_EQ(stars.rating(), 0);
    QTest::keyClick(&stars, Qt::Key_Right);
    QTest::keyClick(&stars, Qt::Key_Up);
    EXPECT_EQ(stars.rating(), 2);
    stars.setRating(9);
    EXPECT_EQ(stars.rating(), 5);
}

TEST(StarRating, IsOneAdjustableAccessibleElement)
{
    StarRating stars;
    stars.setEditable(true);
    stars.setRating(2);
    QAccessibleInterface *element = QAccessible::queryAccessibleInterface(&stars);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->text(QAccessible::Name), QStringLiteral("Rating"));
    EXPECT_EQ(element->text(QAccessible::Value), QStringLiteral("2 of 5 stars"));
    EXPECT_EQ(element->childCount(), 0);
    QAccessibleActionInterface *actions = element->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(stars.rating(), 3);
    actions->doAction(QAccessibleActionInterface::decreaseAction());
    actions->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(element->text(QAccessible::Value), QStringLiteral("1 of 5 stars"));
}
