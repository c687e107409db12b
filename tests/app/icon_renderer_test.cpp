#include "app/icon_renderer.h"

#include <QPixmap>

#include <gtest/gtest.h>

using namespace vorla;

TEST(IconRenderer, ExtrusionHasOneLayerPerPixelOfOffset)
{
    const struct
    {
        const char *name;
        qreal dx, dy, scale;
        int expected;
    } cases[] = {
        { "sleeve at 1024", 3.5, -10, 1, 11 },
        { "disc at 1024", 4.2, -12, 1, 13 },
        { "sleeve at 512", 3.5, -10, 0.5, 6 },
        { "disc at 512", 4.2, -12, 0.5, 7 },
        { "sleeve at 16 keeps two", 3.5, -10, 16.0 / 1024, 2 },
        { "no offset keeps two", 0, 0, 1, 2 },
        { "long offset stops at 64", 300, 0, 1, 64 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IconRenderer::extrusionLayers(c.dx, c.dy, c.scale), c.expected);
    }
}

TEST(IconRenderer, SquircleFillsItsRectangleButTheCorners)
{
    const QRectF rect(100, 112, 824, 812);
    const QPainterPath path = IconRenderer::squircle(rect, 185);
    EXPECT_EQ(path.boundingRect(), rect);
    EXPECT_TRUE(path.contains(rect.center()));
    // The straight edges start 1.28 radii from each corner.
    EXPECT_TRUE(path.contains(QPointF(100 + 237, 113)));
    EXPECT_TRUE(path.contains(QPointF(101, 112 + 237)));
    for (const QPointF corner :
        { rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight() }) {
        const QPointF inwards = (rect.center() - corner) / rect.width() * 40;
        EXPECT_FALSE(path.contains(corner + inwards)) << corner.x() << ", " << corner.y();
    }
}

TEST(IconRenderer, DrawsAtAnyPositiveSize)
{
    for (const int size : { 16, 32, 200 }) {
        SCOPED_TRACE(size);
        const QImage icon = IconRenderer::image(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        // The canvas corner lies outside the tile; the orange label sits on the disc's centre.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        const QColor label = icon.pixelColor(597 * size / 1024, (1024 - 570) * size / 1024);
        EXPECT_EQ(label.alpha(), 255);
        EXPECT_GT(label.red(), 200);
        EXPECT_LT(label.blue(), 140);
    }
    EXPECT_TRUE(IconRenderer::image(0).isNull());
    EXPECT_TRUE(IconRenderer::image(-5).isNull());
}

TEST(IconRenderer, WindowIconComesInTheSizesTaskBarsAskFor)
{
    const QIcon icon = IconRenderer::applicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : { 16, 22, 24, 32, 48, 64, 128 })
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_EQ(icon.pixmap(QSize(48, 48)).size(), QSize(48, 48));
}
