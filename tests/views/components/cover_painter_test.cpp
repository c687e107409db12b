#include "views/components/cover_painter.h"
#include "views/components/cover_views.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

QImage render(const QSize &size, const std::function<void(QPainter &)> &paint)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    return image;
}

QImage renderWidget(QWidget &widget, const QSize &size)
{
    widget.resize(size);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool near(QColor a, QColor b, int tolerance = 4)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

TEST(VinylPlaceholder, HueIsTheDjb2HashOfTheSeed)
{
    EXPECT_DOUBLE_EQ(vinylHue(QString()), 341.0 / 360.0);
    // djb2("a") = 5381 * 33 + 97 = 177670; 177670 mod 360 = 190.
    EXPECT_DOUBLE_EQ(vinylHue(QStringLiteral("a")), 190.0 / 360.0);
    EXPECT_DOUBLE_EQ(vinylHue(QStringLiteral("CanBlue")), vinylHue(QStringLiteral("CanBlue")));
    EXPECT_NE(vinylHue(QStringLiteral("CanBlue")), vinylHue(QStringLiteral("BlueCan")));
    // Long seeds wrap modulo 2^64 instead of overflowing.
    const double hue = vinylHue(QString(500, u'ü'));
    EXPECT_GE(hue, 0.0);
    EXPECT_LT(hue, 1.0);
    VinylPlaceholder widget(QStringLiteral("a"));
    EXPECT_DOUBLE_EQ(widget.hue(), 190.0 / 360.0);
}

TEST(VinylPlaceholder, DrawsDiscLabelAndHoleSizedBySmallerSide)
{
    const QString seed = QStringLiteral("ArtistTitle");
    const double hue = vinylHue(seed);
    // A wide space: the background fills it, the disc is sized by the height.
    const QImage image = render(QSize(300, 100),
        [&](QPainter &p) { paintVinylPlaceholder(p, QRectF(0, 0, 300, 100), seed); });
    const QColor label = QColor::fromHsvF(hue, 0.6, 0.85);
    EXPECT_TRUE(near(image.pixelColor(150 + 10, 50), label))
        << image.pixelColor(160, 50).name().toStdString();
    EXPECT_TRUE(near(image.pixelColor(150, 50), QColor::fromRgbF(0.1, 0.1, 0.1)));
    // Inside the disc but outside the label: dark vinyl.
    const QColor vinyl = image.pixelColor(150 + 30, 50);
    EXPECT_LT(vinyl.valueF(), 0.2);
    // Far left is background only, opaque, tinted with the hue.
    const QColor background = image.pixelColor(5, 50);
    EXPECT_EQ(background.alpha(), 255);
    EXPECT_TRUE(near(background, QColor::fromHsvF(hue, 0.3, 0.25), 20))
        << background.name().toStdString();
}

TEST(VinylPlaceholder, TheSharedDiscMatchesOnePaintedInPlace)
{
    // A scale a hair off one paints the disc in place; the copy must look the same at any
    // position within a pixel and on sharper screens.
    const struct {
        QRectF rect;
        qreal ratio;
    } cases[] = {
        { QRectF(0, 0, 160, 160), 1 },
        { QRectF(10.3, 7.65, 151.5, 151.5), 1 },
        { QRectF(4.5, 3.25, 90, 90), 2 },
        { QRectF(2, 2, 300, 120), 1.5 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ratio);
        auto painted = [&](qreal scale) {
            const QPoint corner = (c.rect.bottomRight() * c.ratio).toPoint() + QPoint(4, 4);
            QImage image(corner.x(), corner.y(), QImage::Format_ARGB32);
            image.setDevicePixelRatio(c.ratio);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setTransform(QTransform::fromScale(1, scale));
            paintVinylPlaceholder(painter, c.rect, QStringLiteral("Seed"));
            return image;
        };
        const QImage copied = painted(1);
        const QImage inPlace = painted(1 + 1e-9);
        int worst = 0;
        for (int y = 0; y < copied.height(); ++y) {
            for (int x = 0; x < copied.width(); ++x) {
                const QColor a = copied.pixelColor(x, y);
                const QColor b = inPlace.pixelColor(x, y);
                worst = std::max({ worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                    std::abs(a.blue() - b.blue()) });
            }
        }
        // Layers composited apart round apart; a disc half a pixel off differs by dozens.
        EXPECT_LE(worst, 8);
    }
}

TEST(VinylPlaceholder, TinyCoversStillDraw)
{
    const QImage image = render(
        QSize(8, 8), [](QPainter &p) { paintVinylPlaceholder(p, QRectF(0, 0, 8, 8), QString()); });
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 255);
    render(QSize(1, 1), [](QPainter &p) { paintVinylPlaceholder(p, QRectF(), QString()); });
}

TEST(SquareImage, IsACentredSquareOfTheSmallerSide)
{
    EXPECT_EQ(squareRect(QRectF(0, 0, 200, 100)), QRectF(50, 0, 100, 100));
    EXPECT_EQ(squareRect(QRectF(10, 10, 80, 120)), QRectF(10, 30, 80, 80));

    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QImage image = render(QSize(200, 100), [&](QPainter &p) {
        paintSquareImage(p, QRectF(0, 0, 200, 100), red, QString(), 8, QPalette());
    });
    EXPECT_EQ(image.pixelColor(20, 50).alpha(), 0); // outside the square
    EXPECT_EQ(image.pixelColor(100, 50), QColor(Qt::red)); // filled, not letterboxed
    EXPECT_TRUE(near(image.pixelColor(100, 2), QColor(Qt::red), 30)); // top edge filled too
    EXPECT_EQ(image.pixelColor(51, 1).alpha(), 0); // rounded corner clipped
}

TEST(DataCover, UndecodableDataShowsThePlaceholder)
{
    DataCover cover;
    cover.setSeed(QStringLiteral("x"));
    QSignalSpy shownImage(&cover, &DataCover::imageShown);
    cover.setData(QByteArrayLiteral("not an image"));
    EXPECT_TRUE(cover.isDecoding());
    ASSERT_TRUE(shownImage.wait(5000));
    const QImage placeholder = renderWidget(cover, QSize(100, 100));
    EXPECT_TRUE(near(placeholder.pixelColor(58, 50), QColor::fromHsvF(vinylHue(u"x"_s), 0.6, 0.85)));

    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    blue.save(&buffer, "PNG");
    cover.setData(png);
    ASSERT_TRUE(shownImage.wait(5000));
    EXPECT_FALSE(cover.isDecoding());
    const QImage shown = renderWidget(cover, QSize(100, 100));
    EXPECT_EQ(shown.pixelColor(50, 50), QColor(Qt::blue));
    EXPECT_TRUE(cover.hasHeightForWidth());
    EXPECT_EQ(cover.heightForWidth(120), 120);
}
