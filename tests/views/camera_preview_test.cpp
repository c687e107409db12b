#include "views/camera_preview.h"

#include "../scanner/recognition_fixtures.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace vorla;

TEST(CameraPreview, BlackWithoutPictureAndAspectFillWithOne)
{
    CaptureSession first;
    CameraPreview preview(&first);
    preview.resize(200, 100);
    EXPECT_EQ(preview.grab().toImage().pixelColor(100, 50), QColor(Qt::black));

    // A square red frame fills the wide widget: cropped top and bottom, no black bars.
    QImage red(50, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    first.publish(test::videoFrame(red));
    // Qt Test's QTRY macros report to Qt Test, not to this runner: wait, then assert.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return preview.grab().toImage().pixelColor(2, 50) == QColor(Qt::red); }));
    EXPECT_EQ(preview.grab().toImage().pixelColor(198, 2), QColor(Qt::red));
    // Resizing repaints at the new size at once.
    preview.resize(100, 300);
    EXPECT_EQ(preview.grab().toImage().pixelColor(50, 2), QColor(Qt::red));
}

TEST(CameraPreview, SwitchesSessionsOnlyWhenTheyDiffer)
{
    CaptureSession first;
    CaptureSession second;
    CameraPreview preview(&first);
    preview.resize(40, 40);
    preview.setSession(&first);
    EXPECT_EQ(preview.session(), &first);
    preview.setSession(&second);
    EXPECT_EQ(preview.session(), &second);
    // Frames of the old session no longer reach it.
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    first.publish(test::videoFrame(red));
    QTest::qWait(20);
    EXPECT_EQ(preview.grab().toImage().pixelColor(20, 20), QColor(Qt::black));
}
