#include "scanner/rectangle_detector.h"

#include "photo_fixtures.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

QImage scene()
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(QColor(118, 84, 58));
    return image;
}

void fill(QImage &image, const QPolygonF &shape, QColor colour)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(shape);
}

} // namespace

TEST(RectangleDetector, FindsNearSquareOutlinesWithinTheLimits)
{
    QImage image = scene();
    // A square cover of 240 pixels, seen slightly askew.
    fill(image,
        QPolygonF({ QPointF(60, 60), QPointF(310, 70), QPointF(300, 310), QPointF(50, 300) }),
        QColor(236, 230, 214));
    // Too narrow: a spine-like rectangle.
    fill(image, QPolygonF(QRectF(420, 60, 100, 300)), QColor(236, 230, 214));
    // Too small: under 0.2 of the smaller side.
    fill(image, QPolygonF(QRectF(600, 60, 80, 80)), QColor(236, 230, 214));
    // A red square, as unlike the brown table in hue as alike in brightness.
    fill(image, QPolygonF(QRectF(420, 380, 200, 190)), QColor(200, 70, 50));
    // A trapezoid whose corners are far from right angles.
    fill(image,
        QPolygonF({ QPointF(80, 400), QPointF(300, 400), QPointF(360, 590), QPointF(20, 590) }),
        QColor(40, 52, 84));

    const QList<DetectedRectangle> found
        = OpenCVRectangleDetector().detect(image, RectangleLimits {});
    ASSERT_EQ(found.size(), 2);
    // Largest first, each outline once.
    const DetectedRectangle &cover = found[0];
    EXPECT_NEAR(cover.boundingBox.x(), 50.0 / 800, 0.02);
    EXPECT_NEAR(cover.boundingBox.y(), 1 - 310.0 / 600, 0.02);
    EXPECT_NEAR(cover.boundingBox.width(), 260.0 / 800, 0.02);
    EXPECT_GE(cover.confidence, 0.6);
    // Corners in normalized coordinates, y upwards.
    EXPECT_NEAR(cover.topLeft.x(), 60.0 / 800, 0.02);
    EXPECT_NEAR(cover.topLeft.y(), 1 - 60.0 / 600, 0.02);
    EXPECT_NEAR(cover.topRight.x(), 310.0 / 800, 0.02);
    EXPECT_NEAR(cover.bottomRight.y(), 1 - 310.0 / 600, 0.02);
    EXPECT_NEAR(cover.bottomLeft.x(), 50.0 / 800, 0.02);
    EXPECT_NEAR(found[1].boundingBox.x(), 420.0 / 800, 0.02);

    RectangleLimits one;
    one.maximumObservations = 1;
    EXPECT_EQ(OpenCVRectangleDetector().detect(image, one).size(), 1);
    EXPECT_TRUE(OpenCVRectangleDetector().detect(scene(), RectangleLimits {}).isEmpty());
}

TEST(RectangleDetector, PerspectiveCorrectionStraightensTheCover)
{
    QImage cover(300, 300, QImage::Format_RGB32);
    cover.fill(Qt::white);
    QPainter(&cover).fillRect(0, 0, 150, 150, Qt::black); // its top-left quarter
    QImage image = scene();
    test::warpOnto(
        image, cover, { QPointF(100, 80), QPointF(420, 100), QPointF(400, 430), QPointF(90, 400) });
    DetectedRectangle region;
    auto normalized = [](double x, double y) { return QPointF(x / 800, 1 - y / 600); };
    region.topLeft = normalized(100, 80);
    region.topRight = normalized(420, 100);
    region.bottomRight = normalized(400, 430);
    region.bottomLeft = normalized(90, 400);
    const std::optional<QImage> straight = perspectiveCorrected(image, region);
    ASSERT_TRUE(straight.has_value());
    EXPECT_NEAR(straight->width(), 320, 2);
    EXPECT_NEAR(straight->height(), 330, 2);
    auto grey = [&](double fx, double fy) {
        return qGray(straight->pixel(int(fx * straight->width()), int(fy * straight->height())));
    };
    EXPECT_LT(grey(0.25, 0.25), 60);
    EXPECT_GT(grey(0.75, 0.25), 200);
    EXPECT_GT(grey(0.25, 0.75), 200);
    EXPECT_GT(grey(0.75, 0.75), 200);

    // Corners that make no picture.
    DetectedRectangle point;
    EXPECT_FALSE(perspectiveCorrected(image, point).has_value());
}
