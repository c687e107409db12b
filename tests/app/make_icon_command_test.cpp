// The icon command as a process: the PNG it writes, sampled where the drawing puts its parts.
#include "app/icon_renderer.h"

#include "test_support.h"
#include "vorla_process.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTransform>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace vorla;

namespace {

struct Rgb
{
    double r, g, b;
};

Rgb mix(Rgb from, Rgb to, double t)
{
    return { from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
        from.b + (to.b - from.b) * t };
}

Rgb grey(double g)
{
    return { g, g, g };
}

// `colour` laid over `base` with the given opacity.
Rgb over(Rgb base, Rgb colour, double alpha)
{
    return mix(base, colour, alpha);
}

// How far along a linear gradient from `a` to `b` the point lies, clamped as the gradient is.
double along(QPointF a, QPointF b, QPointF point)
{
    const QPointF d = b - a;
    const QPointF p = point - a;
    return std::clamp((p.x() * d.x() + p.y() * d.y()) / (d.x() * d.x() + d.y() * d.y()), 0.0, 1.0);
}

const QPointF kCentre(597, 522);

QPointF onDisc(double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180;
    return kCentre + QPointF(radius * std::cos(a), radius * std::sin(a));
}

// The sleeve's own frame: centred at (417, 492), turned 8 degrees anticlockwise.
QPointF onSleeve(double x, double y)
{
    return QTransform::fromTranslate(417, 492)
        .rotateRadians(0.13962634015954636)
        .map(QPointF(x, y));
}

Rgb tileFace(QPointF p)
{
    const double t = along({ 260, 924 }, { 804, 112 }, p);
    const Rgb face = t < 0.5 ? mix({ 0.99, 0.62, 0.30 }, { 0.95, 0.42, 0.30 }, t / 0.5)
                             : mix({ 0.95, 0.42, 0.30 }, { 0.82, 0.20, 0.34 }, (t - 0.5) / 0.5);
    const double distance = std::hypot(p.x() - 300, p.y() - 860);
    return over(face, grey(1), 0.2 * std::max(0.0, 1 - distance / 640));
}

Rgb discFace(QPointF p)
{
    return grey(0.2 + (0.04 - 0.2) * along({ 347, 772 }, { 847, 272 }, p));
}

Rgb labelFace(QPointF p)
{
    return mix({ 1.0, 0.8, 0.34 }, { 0.96, 0.48, 0.18 }, along({ 0, 607 }, { 0, 437 }, p));
}

// The pixel under a point of the 1024-unit canvas (origin bottom left, y up).
QColor at(const QImage &image, QPointF p)
{
    return image.pixelColor(int(std::floor(p.x())), int(std::floor(1024 - p.y())));
}

void expectColour(const QImage &image, QPointF p, Rgb expected, int tolerance)
{
    const QColor c = at(image, p);
    EXPECT_EQ(c.alpha(), 255);
    EXPECT_NEAR(c.red(), expected.r * 255, tolerance);
    EXPECT_NEAR(c.green(), expected.g * 255, tolerance);
    EXPECT_NEAR(c.blue(), expected.b * 255, tolerance);
}

test::VorlaRun makeIcon(const QString &path)
{
    return test::runVorla({ { QStringLiteral("VORLA_MAKE_ICON"), path } });
}

// Samples away from edges and from the other parts' shadows, where a part shows its plain
// colours.
void expectPartsWhereTheyAreDrawn(const QImage &icon)
{
    const struct
    {
        const char *name;
        QPointF point;
        Rgb expected;
        int tolerance;
    } faces[] = {
        { "tile face near the top", { 500, 850 }, tileFace({ 500, 850 }), 3 },
        { "tile's lower wall", { 512, 100 },
            mix({ 0.70, 0.16, 0.26 }, { 0.36, 0.06, 0.12 }, 12.0 / 22), 3 },
        { "sleeve face, left of the disc", onSleeve(-150, 100),
            grey(0.99 - 0.15 * (727 - onSleeve(-150, 100).y()) / 470), 3 },
        { "sleeve's wall below its bottom edge", onSleeve(0, -240), grey(0.53), 8 },
        { "disc face inside the grooves", onDisc(102, 160), discFace(onDisc(102, 160)), 3 },
        { "disc's wall below the disc", { 597, 266 }, grey(0.02 * 0.82), 4 },
        { "reflection, upper left", onDisc(180, 126),
            over(discFace(onDisc(180, 126)), grey(1), 0.145), 4 },
        { "reflection, lower right", onDisc(180, 306),
            over(discFace(onDisc(180, 306)), grey(1), 0.145), 4 },
        { "label face", { 597, 570 }, labelFace({ 597, 570 }), 3 },
        { "label ring", { 597, 584.5 }, over(labelFace({ 597, 584.5 }), { 0.6, 0.25, 0.05 }, 0.25),
            5 },
        { "spindle hole", kCentre, grey(0.06), 3 },
    };
    for (const auto &c : faces) {
        SCOPED_TRACE(c.name);
        expectColour(icon, c.point, c.expected, c.tolerance);
    }

    // A groove is a dark ring 3 units outside each light one.
    EXPECT_LT(at(icon, onDisc(113, 160)).red(), 0.7 * at(icon, onDisc(102, 160)).red());
    // Away from the reflections the disc at the same radius is its plain face.
    expectColour(icon, onDisc(180, 200), discFace(onDisc(180, 200)), 3);

    // The sleeve is turned anticlockwise: its left edge leans to the right going down.
    for (const double y : { -180.0, 0.0, 180.0 }) {
        SCOPED_TRACE(y);
        EXPECT_GT(at(icon, onSleeve(-222, y)).green(), 200);
        EXPECT_LT(at(icon, onSleeve(-250, y)).green(), 200);
    }

    // Shadows fall downwards: under the tile's wall, not above the tile.
    const QColor shadow = at(icon, { 512, 80 });
    EXPECT_LT(shadow.value(), 10);
    EXPECT_GT(shadow.alpha(), 30);
    EXPECT_LT(shadow.alpha(), 90);
    EXPECT_LT(at(icon, { 512, 20 }).alpha(), 8);
    EXPECT_EQ(at(icon, { 512, 990 }).alpha(), 0);
    EXPECT_EQ(at(icon, { 30, 1000 }).alpha(), 0);
}

} // namespace

TEST(MakeIconCommand, WritesTheIconAsA1024PixelPng)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vorla.png"));
    // An existing file is replaced.
    ASSERT_TRUE(QFile::copy(test::fixturePath(QStringLiteral("csv/collection.csv")), path));
    const test::VorlaRun run = makeIcon(path);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.lines.isEmpty()) << run.lines.join(u'\n').toStdString();
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(8) == QByteArray("\x89PNG\r\n\x1a\n", 8));
    const QImage icon(path);
    ASSERT_EQ(icon.size(), QSize(1024, 1024));
    EXPECT_EQ(icon.convertToFormat(QImage::Format_ARGB32),
        IconRenderer::image(1024).convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("Vorla.png") });
    expectPartsWhereTheyAreDrawn(icon);
}

TEST(MakeIconCommand, AnUnwritablePathEndsWithStatusOneAndNoOutput)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    ASSERT_TRUE(QFile(plain).open(QIODevice::WriteOnly));
    const struct
    {
        const char *name;
        QString path;
    } cases[] = {
        { "empty path", QString() },
        { "missing folder", dir.filePath(QStringLiteral("missing/icon.png")) },
        { "inside a plain file", plain + QStringLiteral("/icon.png") },
        { "a folder", dir.path() },
        { "a system folder no one may write", QStringLiteral("/proc/vorla-icon.png") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const test::VorlaRun run = makeIcon(c.path);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_TRUE(run.lines.isEmpty()) << run.lines.join(u'\n').toStdString();
        EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("plain.txt") });
}
