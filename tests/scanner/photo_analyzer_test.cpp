#include "scanner/photo_analyzer.h"

#include "models/error.h"
#include "scanner/photo_geometry.h"

#include <QHash>
#include <QImage>

#include <gtest/gtest.h>

#include <mutex>

using namespace vorla;
using namespace Qt::StringLiterals;
using PhotoAnalyzer::Strip;
using PhotoAnalyzer::TextBox;

namespace {

TextBox box(const char *text, double x, double width, float confidence = 0.9f, double y = 0.2,
    double height = 0.6)
{
    return TextBox { QString::fromUtf8(text), confidence, QRectF(x, y, width, height) };
}

QStringList textsOf(const QList<TextBox> &boxes)
{
    QStringList texts;
    for (const TextBox &b : boxes)
        texts.append(b.text);
    return texts;
}

// Which reading a scripted reader is asked for: the photo's upright text, a turn of the photo
// or of a band of it (told apart by a dark marker pixel in the photo's top-left corner), or a
// cover.
enum class Reading { upright, clockwise, counterClockwise, band, cover };

class ScriptedReader : public TextReader
{
public:
    QList<TextObservation> read(const QImage &image, double minimumTextHeight) const override
    {
        const Reading reading = readingOf(image, minimumTextHeight);
        std::lock_guard guard(lock);
        calls.append(reading);
        return readings.value(reading);
    }
    int parallelism() const override { return 3; }

    Reading readingOf(const QImage &image, double minimumTextHeight) const
    {
        if (minimumTextHeight > 0.015)
            return Reading::cover;
        if (minimumTextHeight > 0)
            return Reading::upright;
        if (image.size() != photoSize.transposed())
            return Reading::band;
        auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
        return dark(image.width() - 1, 0) ? Reading::clockwise : Reading::counterClockwise;
    }

    int count(Reading reading) const
    {
        std::lock_guard guard(lock);
        return int(calls.count(reading));
    }

    QSize photoSize;
    QHash<Reading, QList<TextObservation>> readings;
    mutable std::mutex lock;
    mutable QList<Reading> calls;
};

class ScriptedBarcodes : public BarcodeDetector
{
public:
    QList<DetectedBarcode> detect(const QImage &, const QList<BarcodeSymbology> &) const override
    {
        return codes;
    }
    QList<DetectedBarcode> codes;
};

class ScriptedRectangles : public RectangleDetector
{
public:
    QList<DetectedRectangle> detect(const QImage &, const RectangleLimits &) const override
    {
        return regions;
    }
    QList<DetectedRectangle> regions;
};

// An axis-aligned region given in normalized coordinates.
DetectedRectangle region(double x, double y, double width, double height)
{
    DetectedRectangle r;
    r.boundingBox = QRectF(x, y, width, height);
    r.bottomLeft = QPointF(x, y);
    r.bottomRight = QPointF(x + width, y);
    r.topLeft = QPointF(x, y + height);
    r.topRight = QPointF(x + width, y + height);
    r.confidence = 1;
    return r;
}

struct Scripted
{
    std::shared_ptr<ScriptedReader> reader = std::make_shared<ScriptedReader>();
    std::shared_ptr<ScriptedBarcodes> barcodes = std::make_shared<ScriptedBarcodes>();
    std::shared_ptr<ScriptedRectangles> rectangles = std::make_shared<ScriptedRectangles>();
    QImage photo;

    explicit Scripted(QSize size = QSize(400, 300))
    {
        photo = QImage(size, QImage::Format_RGB32);
        photo.fill(Qt::white);
        photo.setPixel(0, 0, qRgb(0, 0, 0));
        reader->photoSize = size;
    }
    PhotoAnalyzer::Engines engines() const { return { reader, barcodes, rectangles }; }

    // A spine's line as the clockwise turn of the whole photo reads it: x range [a, a + w] of
    // the photo, from 0.2 to 0.8 of its height.
    void spine(const char *text, double a, double w, double confidence = 0.9)
    {
        reader->readings[Reading::clockwise].append(
            { QString::fromUtf8(text), confidence, QRectF(0.2, a, 0.6, w) });
    }
    void wideLines(int count)
    {
        for (int i = 0; i < count; ++i)
            reader->readings[Reading::upright].append(
                { u"Wide line"_s, 0.9, QRectF(0.1, 0.05 * i, 0.5, 0.04) });
    }
    // A barcode centred on photo x, in top-left unit coordinates.
    void barcode(const char *payload, double x, double y = 0.5,
        std::optional<BarcodeSymbology> symbology = BarcodeSymbology::ean13)
    {
        barcodes->codes.append({ QString::fromLatin1(payload), 1.0, symbology,
            QRectF(x - 0.02, y - 0.02, 0.04, 0.04) });
    }
};

} // namespace

TEST(PhotoGeometry, CropRuleWidensToWholePixelsAndClipsToTheImage)
{
    using namespace PhotoGeometry;
    const QSize size(200, 100);
    const struct
    {
        const char *name;
        QRectF normalized;
        QRect pixels;
    } cases[] = {
        { "exact", QRectF(0.25, 0.5, 0.5, 0.5), QRect(50, 0, 100, 50) },
        // y runs upwards: the bottom half of the photo is its lower pixel rows.
        { "bottom half", QRectF(0, 0, 1, 0.5), QRect(0, 50, 200, 50) },
        { "fractions widen", QRectF(0.1025, 0.105, 0.2, 0.333), QRect(20, 56, 41, 34) },
        { "clipped at the left edge", QRectF(-0.1, 0, 0.3, 1), QRect(0, 0, 40, 100) },
        { "off the image", QRectF(1.2, 0, 0.3, 1), QRect() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pixelRect(c.normalized, size).isEmpty(), c.pixels.isEmpty());
        if (!c.pixels.isEmpty()) {
            EXPECT_EQ(pixelRect(c.normalized, size), c.pixels);
        }
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    EXPECT_EQ(crop(image, QRectF(-0.1, 0, 0.3, 1)).size(), QSize(40, 100));
    EXPECT_TRUE(crop(image, QRectF(1.2, 0, 0.3, 1)).isNull());

    EXPECT_EQ(fromTopLeftUnit(QRectF(0.1, 0.2, 0.3, 0.4)), QRectF(0.1, 0.4, 0.3, 0.4));
    EXPECT_EQ(fromPixels(QPointF(50, 25), size), QPointF(0.25, 0.75));
    EXPECT_EQ(toPixels(QPointF(0.25, 0.75), size), QPointF(50, 25));
    EXPECT_TRUE(containsPoint(QRectF(0, 0, 0.5, 0.5), QPointF(0, 0)));
    EXPECT_FALSE(containsPoint(QRectF(0, 0, 0.5, 0.5), QPointF(0.5, 0.2)));
    EXPECT_FALSE(containsPoint(QRectF(0, 0, 0.5, 0.5), QPointF(0.2, 0.5)));
}

TEST(PhotoAnalyzer, OverlappingBoxesKeepTheMostConfident)
{
    const QList<TextBox> kept = PhotoAnalyzer::removeOverlaps({
        box("LOW HARBOUR", 0.10, 0.05, 0.7f),
        box("LOW HARB0UR", 0.102, 0.05, 0.8f), // the other turn, nearly the same place
        box("TIDES", 0.30, 0.05, 0.6f),
        box("TIDE5", 0.30, 0.05, 0.6f), // equal confidence: the first read stays
        box("APART", 0.50, 0.05, 0.5f),
        // Overlapping less than half of the smaller box.
        box("NEIGHBOUR", 0.53, 0.05, 0.4f),
    });
    EXPECT_EQ(
        textsOf(kept), (QStringList { u"LOW HARB0UR"_s, u"TIDES"_s, u"APART"_s, u"NEIGHBOUR"_s }));
}

TEST(PhotoAnalyzer, BoxesGroupIntoStripsFromLeftToRight)
{
    const struct
    {
        const char *name;
        QList<TextBox> boxes;
        QList<QStringList> strips;
    } cases[] = {
        { "overlapping columns join",
            { box("ANA LUA", 0.11, 0.04), box("LOW HARBOUR", 0.10, 0.05) },
            { { u"LOW HARBOUR"_s, u"ANA LUA"_s } } },
        { "a small gap joins", { box("ABCD", 0.10, 0.05), box("EFGH", 0.167, 0.05) },
            { { u"ABCD"_s, u"EFGH"_s } } },
        { "a wider gap starts a strip", { box("ABCD", 0.10, 0.05), box("EFGH", 0.168, 0.05) },
            { { u"ABCD"_s }, { u"EFGH"_s } } },
        { "three letters are no strip", { box("A-B.C", 0.10, 0.05), box("WXYZ", 0.5, 0.05) },
            { { u"WXYZ"_s } } },
        { "nothing", {}, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QList<QStringList> strips;
        for (const Strip &strip : PhotoAnalyzer::clusterIntoStrips(c.boxes))
            strips.append(textsOf(strip));
        EXPECT_EQ(strips, c.strips);
    }
}

TEST(PhotoAnalyzer, UncoveredBandsAreTheColumnsBetweenStrips)
{
    auto bands = [](const QList<Strip> &strips) {
        QList<std::pair<double, double>> ranges;
        for (const QRectF &band : PhotoAnalyzer::uncoveredBands(strips, 0.015)) {
            EXPECT_EQ(band.y(), 0);
            EXPECT_EQ(band.height(), 1);
            ranges.append({ band.x(), band.width() });
        }
        return ranges;
    };
    EXPECT_EQ(bands({}), (QList<std::pair<double, double>> { { 0, 1 } }));
    const QList<std::pair<double, double>> found = bands({ { box("ABCD", 0.5, 0.1) },
        { box("ABCD", 0.004, 0.2) }, { box("ABCD", 0.618, 0.1), box("ABCD", 0.62, 0.376) } });
    // Left of the first strip nothing; 0.208 to 0.496 read; 0.604 to 0.614 too narrow; none right.
    ASSERT_EQ(found.size(), 1);
    EXPECT_NEAR(found[0].first, 0.208, 1e-9);
    EXPECT_NEAR(found[0].second, 0.288, 1e-9);
    // A column of exactly the minimum width is read.
    const QList<std::pair<double, double>> edge = bands({ { box("ABCD", 0.004, 0.492) } });
    ASSERT_EQ(edge.size(), 1);
    EXPECT_NEAR(edge[0].first, 0.5, 1e-9);
}

TEST(PhotoAnalyzer, BarcodesJoinTheSpineUnderThemOrStandAlone)
{
    const QList<Strip> strips
        = { { box("ABCD", 0.1, 0.1) }, { box("EFGH", 0.15, 0.1), box("IJKL", 0.3, 0.05) } };
    QList<PhotoEvidence> spines(2);
    for (PhotoEvidence &e : spines)
        e.kind = PhotoEvidence::Kind::spine;
    const QList<PhotoAnalyzer::DetectedCode> codes = {
        { u"111"_s, QRectF(0.14, 0.9, 0.02, 0.05) }, // under both strips: the leftmost
        { u"222"_s, QRectF(0.27, 0.0, 0.02, 0.05) }, // between the boxes of the second strip
        { u"333"_s, QRectF(0.32, 0.5, 0.04, 0.05) }, // on the second strip's narrow box
    };
    const QList<PhotoEvidence> found = PhotoAnalyzer::attach(codes, spines, strips);
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].barcodes, QStringList { u"111"_s });
    EXPECT_EQ(found[1].barcodes, QStringList { u"333"_s });
    EXPECT_EQ(found[2].kind, PhotoEvidence::Kind::cover);
    EXPECT_EQ(found[2].barcodes, QStringList { u"222"_s });
    EXPECT_TRUE(found[2].lines.isEmpty());
    EXPECT_FALSE(found[2].crop.has_value());

    const QList<PhotoEvidence> alone = PhotoAnalyzer::attach(codes, {}, std::nullopt);
    ASSERT_EQ(alone.size(), 3);
    for (const PhotoEvidence &e : alone)
        EXPECT_EQ(e.kind, PhotoEvidence::Kind::cover);
}

TEST(PhotoAnalyzer, VerticalBoxesAreMappedOntoThePhotoAndFiltered)
{
    Scripted scripted(QSize(400, 300));
    // As read in the turned photo: tall and narrow in the photo, or not.
    scripted.reader->readings[Reading::clockwise] = {
        { u"TALL ENOUGH"_s, 0.4, QRectF(0.2, 0.1, 0.6, 0.5) }, // 0.5 wide, 0.6 tall: 1.2 exactly
        { u"TOO WIDE"_s, 0.9, QRectF(0.2, 0.1, 0.59, 0.5) },
        { u"UNSURE"_s, 0.39, QRectF(0.2, 0.1, 0.6, 0.1) },
        { u"x"_s, 0.9, QRectF(0.2, 0.1, 0.6, 0.1) },
    };
    scripted.reader->readings[Reading::counterClockwise]
        = { { u"OTHER WAY"_s, 0.8, QRectF(0.1, 0.7, 0.6, 0.1) } };
    const QList<TextBox> boxes
        = PhotoAnalyzer::readVerticalText(scripted.photo, PhotoGeometry::kUnit, scripted.engines());
    ASSERT_EQ(textsOf(boxes), (QStringList { u"TALL ENOUGH"_s, u"OTHER WAY"_s }));
    // Clockwise: x from the turned box's top, y from its left.
    EXPECT_NEAR(boxes[0].box.x(), 0.1, 1e-9);
    EXPECT_NEAR(boxes[0].box.y(), 0.2, 1e-9);
    EXPECT_NEAR(boxes[0].box.width(), 0.5, 1e-9);
    EXPECT_NEAR(boxes[0].box.height(), 0.6, 1e-9);
    // Counter-clockwise: x from the turned box's bottom, y from its right.
    EXPECT_NEAR(boxes[1].box.x(), 0.2, 1e-9);
    EXPECT_NEAR(boxes[1].box.y(), 0.3, 1e-9);
}

TEST(PhotoAnalyzer, SpinesReadTopToBottomWithACropAndTheirBarcodes)
{
    Scripted scripted(QSize(400, 300));
    scripted.reader->readings[Reading::clockwise] = {
        { u"ANA LUA"_s, 0.9, QRectF(0.05, 0.0, 0.3, 0.08) }, // lower on the spine
        { u"LOW HARBOUR"_s, 0.9, QRectF(0.55, 0.0, 0.4, 0.08) }, // higher
        { u"NORTHBOUND"_s, 0.8, QRectF(0.1, 0.5, 0.8, 0.08) },
    };
    scripted.barcode("4006381333931", 0.04);
    scripted.barcode("5901234123457", 0.75);
    const QList<PhotoEvidence> found
        = PhotoAnalyzer::analyze(scripted.photo, PhotoLayout::spines, scripted.engines());
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].kind, PhotoEvidence::Kind::spine);
    EXPECT_EQ(found[0].lines, (QStringList { u"LOW HARBOUR"_s, u"ANA LUA"_s }));
    EXPECT_EQ(found[0].barcodes, QStringList { u"4006381333931"_s });
    ASSERT_TRUE(found[0].crop.has_value());
    // The spine stands at x 0.92 to 1.0 of the photo: its crop is clipped at the right edge.
    EXPECT_LE(found[0].crop->width(), 320);
    EXPECT_GT(found[0].crop->height(), found[0].crop->width());
    EXPECT_EQ(found[1].lines, QStringList { u"NORTHBOUND"_s });
    EXPECT_EQ(found[2].kind, PhotoEvidence::Kind::cover);
    EXPECT_EQ(found[2].barcodes, QStringList { u"5901234123457"_s });
}

TEST(PhotoAnalyzer, RereadingStopsWhenAPassAddsNothingNew)
{
    Scripted scripted(QSize(400, 300));
    scripted.spine("LOW HARBOUR", 0.4, 0.05);
    // The columns beside the spine hold a scrap of print that makes no strip, so they stay
    // uncovered; reading them again finds the same scrap, which adds nothing.
    scripted.reader->readings[Reading::band] = { { u"AB1"_s, 0.9, QRectF(0.2, 0.4, 0.6, 0.2) } };
    const QList<PhotoEvidence> found
        = PhotoAnalyzer::spines(scripted.photo, {}, scripted.engines());
    EXPECT_EQ(found.size(), 1);
    // Two passes over the two columns, each read in both turns; not three passes.
    EXPECT_EQ(scripted.reader->count(Reading::band), 8);

    Scripted empty(QSize(400, 300));
    EXPECT_TRUE(PhotoAnalyzer::spines(empty.photo, {}, empty.engines()).isEmpty());
    // Nothing found: the whole photo is read again as one band, once.
    EXPECT_EQ(
        empty.reader->count(Reading::clockwise) + empty.reader->count(Reading::counterClockwise),
        4);
}

TEST(PhotoAnalyzer, AutomaticLayoutDecidesBetweenSpinesAndCovers)
{
    const struct
    {
        const char *name;
        int strips;
        int wide;
        bool spines;
    } cases[] = {
        { "two strips, four wide lines", 2, 4, true },
        { "two strips, five wide lines", 2, 5, false },
        { "one strip", 1, 0, false },
        { "no strip", 0, 0, false },
        { "three strips, six wide lines", 3, 6, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Scripted scripted;
        for (int i = 0; i < c.strips; ++i)
            scripted.spine("SPINE TEXT", 0.1 + 0.3 * i, 0.05);
        scripted.wideLines(c.wide);
        scripted.reader->readings[Reading::cover]
            = { { u"COVER TITLE"_s, 0.9, QRectF(0.1, 0.1, 0.8, 0.2) } };
        scripted.barcode("4006381333931", 0.1);
        scripted.barcode("5901234123457", 0.9);
        const QList<PhotoEvidence> found
            = PhotoAnalyzer::analyze(scripted.photo, PhotoLayout::automatic, scripted.engines());
        if (c.spines) {
            // The spines, then every barcode on its own, never attached to a spine.
            ASSERT_EQ(found.size(), c.strips + 2);
            for (int i = 0; i < c.strips; ++i) {
                EXPECT_EQ(found[i].kind, PhotoEvidence::Kind::spine);
                EXPECT_TRUE(found[i].barcodes.isEmpty());
            }
            EXPECT_EQ(found[c.strips].barcodes, QStringList { u"4006381333931"_s });
            EXPECT_EQ(found[c.strips + 1].barcodes, QStringList { u"5901234123457"_s });
            EXPECT_TRUE(found[c.strips + 1].lines.isEmpty());
            EXPECT_FALSE(found[c.strips + 1].crop.has_value());
        } else {
            ASSERT_EQ(found.size(), 1);
            EXPECT_EQ(found[0].kind, PhotoEvidence::Kind::cover);
            EXPECT_EQ(found[0].lines, QStringList { u"COVER TITLE"_s });
            EXPECT_EQ(found[0].barcodes, (QStringList { u"4006381333931"_s, u"5901234123457"_s }));
        }
        // The upright reading is made whatever the decision.
        EXPECT_EQ(scripted.reader->count(Reading::upright), 1);
    }
}

TEST(PhotoAnalyzer, OnlyVerifiedBarcodesCountOncePerPayload)
{
    Scripted scripted;
    scripted.barcode("4006381333931", 0.1);
    scripted.barcode("4006381333932", 0.2); // wrong check digit
    scripted.barcode("12345678", 0.3); // 8 characters, no valid check digit
    scripted.barcode("96385074", 0.4); // EAN-8 with a valid check digit
    scripted.barcode("01234565", 0.5, 0.5, BarcodeSymbology::upce); // verified by the decoder
    scripted.barcode("4006381333931", 0.6); // again, elsewhere
    const QList<PhotoAnalyzer::DetectedCode> codes
        = PhotoAnalyzer::detectBarcodes(scripted.photo, scripted.engines());
    QStringList payloads;
    for (const auto &code : codes)
        payloads.append(code.payload);
    EXPECT_EQ(payloads, (QStringList { u"4006381333931"_s, u"96385074"_s, u"01234565"_s }));
    // The first box wins, in normalized coordinates (y upwards).
    EXPECT_NEAR(PhotoGeometry::midX(codes[0].box), 0.1, 1e-9);
    EXPECT_NEAR(PhotoGeometry::midY(codes[0].box), 0.5, 1e-9);
}

TEST(PhotoAnalyzer, CoversAreReadOneByOneWithTheBarcodesOnThem)
{
    Scripted scripted(QSize(400, 400));
    scripted.rectangles->regions = { region(0.05, 0.1, 0.4, 0.4), region(0.55, 0.5, 0.4, 0.4),
        // Mostly inside the first: the same cover.
        region(0.1, 0.15, 0.3, 0.3) };
    QList<TextObservation> lines;
    for (int i = 0; i < 14; ++i)
        lines.append(
            { u"Line %1"_s.arg(i), 0.9, QRectF(0.1, 0.06 * i, 0.5, 0.01 + 0.001 * (i % 5)) });
    lines.append({ u"Unsure"_s, 0.39, QRectF(0.1, 0.9, 0.5, 0.09) });
    scripted.reader->readings[Reading::cover] = lines;
    scripted.barcode("4006381333931", 0.25, 0.7); // on the first cover (y 0.3 in normalized)
    scripted.barcode("5901234123457", 0.5, 0.5); // between the covers
    const QList<PhotoEvidence> found
        = PhotoAnalyzer::analyze(scripted.photo, PhotoLayout::covers, scripted.engines());
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].kind, PhotoEvidence::Kind::cover);
    EXPECT_EQ(found[0].barcodes, QStringList { u"4006381333931"_s });
    // The twelve tallest, tallest first; equal heights keep the reader's order.
    ASSERT_EQ(found[0].lines.size(), 12);
    EXPECT_EQ(found[0].lines.mid(0, 4),
        (QStringList { u"Line 4"_s, u"Line 9"_s, u"Line 3"_s, u"Line 8"_s }));
    EXPECT_FALSE(found[0].lines.contains(u"Unsure"_s));
    ASSERT_TRUE(found[0].crop.has_value());
    EXPECT_LE(std::max(found[0].crop->width(), found[0].crop->height()), 320);
    EXPECT_TRUE(found[1].barcodes.isEmpty());
    // A barcode on no cover is kept as a record of its own.
    EXPECT_TRUE(found[2].lines.isEmpty());
    EXPECT_EQ(found[2].barcodes, QStringList { u"5901234123457"_s });

    // One region: the one cover, with every barcode.
    scripted.rectangles->regions = { region(0.05, 0.1, 0.4, 0.4) };
    const QList<PhotoEvidence> one
        = PhotoAnalyzer::analyze(scripted.photo, PhotoLayout::covers, scripted.engines());
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].barcodes, (QStringList { u"4006381333931"_s, u"5901234123457"_s }));

    // Nothing read and nothing detected: no evidence.
    Scripted blank;
    EXPECT_TRUE(
        PhotoAnalyzer::analyze(blank.photo, PhotoLayout::covers, blank.engines()).isEmpty());
}

TEST(PhotoAnalyzer, AStoppedAnalysisEndsWithCancellation)
{
    Scripted scripted;
    std::stop_source stop;
    stop.request_stop();
    for (PhotoLayout layout : allPhotoLayouts())
        EXPECT_THROW(
            PhotoAnalyzer::analyze(scripted.photo, layout, scripted.engines(), stop.get_token()),
            CancelledError);
}
