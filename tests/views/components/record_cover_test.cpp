#include "views/components/record_cover.h"

#include "models/model_context.h"
#include "models/record.h"
#include "services/image_cache.h"
#include "views/components/cover_painter.h"
#include "views/paint_log.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

QByteArray jpeg(Qt::GlobalColor color)
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

QColor centre(RecordCover &cover)
{
    cover.resize(80, 80);
    QImage image(80, 80, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    cover.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.pixelColor(40, 40);
}

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24
        && std::abs(a.blue() - b.blue()) < 24;
}

} // namespace

TEST(RecordCover, ShowsTheStoredCoverAndFollowsItsRevision)
{
    ModelContext context;
    Record *record = context.insert(std::make_unique<Record>());
    record->setArtist(QStringLiteral("Can"));
    record->setTitle(QStringLiteral("Tago Mago"));
    record->setCover(jpeg(Qt::red));
    RecordCover cover;
    cover.setRecord(record, false);
    // Decoded off the GUI thread, so the placeholder shows first.
    EXPECT_FALSE(near(centre(cover), Qt::red));
    EXPECT_TRUE(QTest::qWaitFor([&] { return near(centre(cover), Qt::red); }, 5000));

    record->setCover(jpeg(Qt::blue));
    EXPECT_TRUE(QTest::qWaitFor([&] { return near(centre(cover), Qt::blue); }, 5000));
}

TEST(RecordCover, RepaintsWhenItsImageArrives)
{
    ModelContext context;
    Record *record = context.insert(std::make_unique<Record>());
    record->setCover(jpeg(Qt::red));
    RecordCover cover;
    cover.resize(80, 80);
    cover.setRecord(record, true);
    test::PaintLog log(&cover);
    // Only a paint after the report can show the image.
    qsizetype reportedAt = -1;
    QObject receiver;
    QObject::connect(&ImageCache::shared(), &ImageCache::imageReady, &receiver,
        [&](const QString &key) {
            if (key == ImageCache::key(*record, true))
                reportedAt = log.regions.size();
        });
    cover.show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return reportedAt >= 0 && log.regions.size() > reportedAt; }, 5000));
    EXPECT_TRUE(near(centre(cover), Qt::red));
}

TEST(RecordCover, ADestroyedCoverIsNotTouchedByALateImage)
{
    ModelContext context;
    Record *record = context.insert(std::make_unique<Record>());
    record->setCover(jpeg(Qt::red));
    QSignalSpy ready(&ImageCache::shared(), &ImageCache::imageReady);
    {
        RecordCover cover;
        cover.setRecord(record, false);
        centre(cover); // starts the decode
    }
    ASSERT_TRUE(ready.wait(5000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ImageCache::shared().image(*record, false).isNull());
}

TEST(RecordCover, WithoutArtworkShowsThePlaceholderOfArtistAndTitle)
{
    ModelContext context;
    Record *record = context.insert(std::make_unique<Record>());
    record->setArtist(QStringLiteral("Can"));
    record->setTitle(QStringLiteral("Tago Mago"));
    EXPECT_EQ(coverSeed(*record), QStringLiteral("CanTago Mago"));
    RecordCover cover;
    cover.setRecord(record, true);
    // The spindle hole sits in the middle, the coloured label around it.
    cover.resize(80, 80);
    QImage image(80, 80, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    cover.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_TRUE(near(image.pixelColor(47, 40),
        QColor::fromHsvF(vinylHue(QStringLiteral("CanTago Mago")), 0.6, 0.85)));

    // A deleted record draws nothing rather than stale data.
    context.remove(record->id());
    image.fill(Qt::transparent);
    cover.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(image.pixelColor(40, 40).alpha(), 0);
}
