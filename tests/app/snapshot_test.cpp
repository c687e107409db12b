#include "app/snapshot.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>

#include <gtest/gtest.h>

#include <limits>

using namespace vorla;

TEST(Snapshot, DelayParsesDecimalsAndFallsBackToThreeSeconds)
{
    const struct
    {
        std::optional<QString> text;
        double seconds;
    } cases[] = {
        { QStringLiteral("0.5"), 0.5 },
        { QStringLiteral("0"), 0.0 },
        { QStringLiteral("-2"), -2.0 },
        { QStringLiteral("1e1"), 10.0 },
        { std::nullopt, 3.0 },
        { QStringLiteral(""), 3.0 },
        { QStringLiteral("abc"), 3.0 },
        { QStringLiteral("0,5"), 3.0 },
        { QStringLiteral(" 1"), 3.0 },
        { QStringLiteral("inf"), 3.0 },
        { QStringLiteral("nan"), 3.0 },
        { QStringLiteral("1e999"), 3.0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.value_or(QStringLiteral("<absent>")).toStdString());
        EXPECT_DOUBLE_EQ(DebugHooks::snapshotDelay(c.text), c.seconds);
    }
}

TEST(Snapshot, LaterWindowsGetNumberedFiles)
{
    const struct
    {
        const char *path;
        int index;
        const char *file;
    } cases[] = {
        { "/tmp/a.png", 0, "/tmp/a.png" },
        { "/tmp/a.png", 1, "/tmp/a-1.png" },
        { "/tmp/a.png", 12, "/tmp/a-12.png" },
        { "/tmp/shot", 1, "/tmp/shot-1.png" },
        { "/tmp/shot", 0, "/tmp/shot" },
        { "/tmp/x.png.d/shot.png", 2, "/tmp/x.png.d/shot-2.png" },
        { "/tmp/v1.2/shot", 1, "/tmp/v1.2/shot-1.png" },
        { "shot.PNG", 1, "shot-1.PNG" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(DebugHooks::snapshotPath(QString::fromUtf8(c.path), c.index),
            QString::fromUtf8(c.file));
    }
}

TEST(Snapshot, WritesEveryVisibleWindowWiderThan100Pixels)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QWidget first;
    first.resize(300, 200);
    first.show();
    QWidget narrow;
    narrow.resize(100, 300);
    narrow.show();
    QWidget hidden;
    hidden.resize(400, 400);
    QWidget second;
    second.resize(250, 120);
    second.show();

    QString output;
    QTextStream out(&output);
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    const QStringList files = DebugHooks::writeWindowSnapshots(path, out);
    ASSERT_EQ(files, (QStringList { path, dir.filePath(QStringLiteral("shot-1.png")) }));
    EXPECT_EQ(output, QStringLiteral("Wrote %1\nWrote %2\n").arg(files[0], files[1]));
    EXPECT_EQ(QImage(files[0]).size(), QSize(300, 200));
    EXPECT_EQ(QImage(files[1]).size(), QSize(250, 120));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("shot-2.png"))));
}

TEST(Snapshot, AnUnwritableFileIsSkippedWithoutOutput)
{
    QWidget window;
    window.resize(300, 200);
    window.show();
    QString output;
    QTextStream out(&output);
    EXPECT_TRUE(
        DebugHooks::writeWindowSnapshots(QStringLiteral("/nonexistent/dir/a.png"), out).isEmpty());
    EXPECT_TRUE(output.isEmpty());
}
