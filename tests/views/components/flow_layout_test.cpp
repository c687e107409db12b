#include "views/components/chip.h"
#include "views/components/flow_chips.h"
#include "views/components/flow_layout.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

QList<QSize> sizes(std::initializer_list<int> widths, int height = 20)
{
    QList<QSize> result;
    for (int w : widths)
        result.append(QSize(w, height));
    return result;
}

} // namespace

TEST(FlowLayout, ArrangesRowsLikeWords)
{
    const auto none = FlowLayout::arrange({}, 100, 6);
    EXPECT_TRUE(none.points.isEmpty());
    EXPECT_EQ(none.size, QSize(0, 0));

    const auto three = FlowLayout::arrange(sizes({ 50, 50, 50 }), 110, 6);
    EXPECT_EQ(three.points, (QList<QPoint> { { 0, 0 }, { 56, 0 }, { 0, 26 } }));
    EXPECT_EQ(three.size, QSize(106, 46));

    // Exactly reaching the width stays in the row.
    const auto exact = FlowLayout::arrange(sizes({ 50, 54 }), 110, 6);
    EXPECT_EQ(exact.points, (QList<QPoint> { { 0, 0 }, { 56, 0 } }));

    // A too-wide first item is never moved, and the size reports its own width.
    const auto wide = FlowLayout::arrange(sizes({ 300, 20 }), 100, 6);
    EXPECT_EQ(wide.points, (QList<QPoint> { { 0, 0 }, { 0, 26 } }));
    EXPECT_EQ(wide.size.width(), 300);

    // Without a width limit everything shares one row, by the tallest height.
    const auto oneRow = FlowLayout::arrange(
        { QSize(10, 5), QSize(20, 30), QSize(30, 10) }, FlowLayout::unlimitedWidth, 6);
    EXPECT_EQ(oneRow.size, QSize(72, 30));
    EXPECT_EQ(oneRow.points.last(), QPoint(42, 0));
}

TEST(FlowLayout, PlacesWidgetsAtTheirPreferredSizes)
{
    QWidget host;
    auto *flow = new FlowLayout(6, &host);
    QList<QWidget *> boxes;
    for (int i = 0; i < 3; ++i) {
        auto *box = new QWidget(&host);
        box->setFixedSize(50, 20);
        flow->addWidget(box);
        boxes.append(box);
    }
    EXPECT_EQ(flow->sizeHint(), QSize(162, 20));
    EXPECT_EQ(flow->heightForWidth(110), 46);
    flow->setGeometry(QRect(10, 5, 110, 46));
    EXPECT_EQ(boxes[1]->geometry(), QRect(66, 5, 50, 20));
    EXPECT_EQ(boxes[2]->geometry(), QRect(10, 31, 50, 20));
}

TEST(FlowChips, OneChipPerItemEvenWithSameText)
{
    FlowChips chips;
    chips.setItems({ { QStringLiteral("1977"), QStringLiteral("calendar") },
        { QStringLiteral("LP"), {} }, { QStringLiteral("LP"), {} } });
    QList<Chip *> shown = chips.findChildren<Chip *>();
    ASSERT_EQ(shown.size(), 3);
    chips.setItems({ { QStringLiteral("UK"), {} } });
    int visible = 0;
    for (Chip *chip : chips.findChildren<Chip *>())
        visible += chip->isVisibleTo(&chips) ? 1 : 0;
    EXPECT_EQ(visible, 1);
}

TEST(Chip, SymbolAddsRoomBeforeTheText)
{
    Chip plain(QStringLiteral("Rock"));
    Chip withSymbol(QStringLiteral("Rock"), QStringLiteral("tag"));
    EXPECT_GT(withSymbol.sizeHint().width(), plain.sizeHint().width());
    EXPECT_EQ(plain.sizeHint().height(), withSymbol.sizeHint().height());
    EXPECT_GE(
        plain.sizeHint().width(), QFontMetrics(plain.font()).horizontalAdvance(u"Rock"_s) * 0.8 + 16);
}
