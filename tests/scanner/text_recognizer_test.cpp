#include "scanner/text_recognizer.h"

#include "models/error.h"
#include "scanner/image_file.h"
#include "recognition_fixtures.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <mutex>

using namespace vorla;
using namespace Qt::StringLiterals;

namespace {

QStringList candidates(std::initializer_list<const char *> lines)
{
    QStringList list;
    for (const char *line : lines)
        list.append(QString::fromUtf8(line));
    return TextRecognizer::catalogNumberCandidates(list);
}

enum class Turn { up, right, left, other };

// Scripted readings per orientation. The recognizer's input carries a dark marker pixel in
// its top-left corner, so where the marker lands tells which turn the reader was given.
class OrientationReader : public TextReader
{
public:
    QList<TextObservation> read(const QImage &image, double minimumTextHeight) const override
    {
        std::lock_guard guard(lock);
        heights.append(minimumTextHeight);
        return readings.value(turnOf(image));
    }

    static QImage markedImage(int width, int height)
    {
        QImage image(width, height, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        image.setPixel(0, 0, 0);
        return image;
    }

    static Turn turnOf(const QImage &image)
    {
        auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
        const int r = image.width() - 1;
        const int b = image.height() - 1;
        if (dark(0, 0))
            return Turn::up;
        if (dark(r, 0))
            return Turn::right; // a quarter turn clockwise
        if (dark(0, b))
            return Turn::left;
        return Turn::other;
    }

    QHash<Turn, QList<TextObservation>> readings;
    mutable std::mutex lock;
    mutable QList<double> heights;
};

} // namespace

TEST(TextRecognizer, CatalogNumberCandidatesOfTheDocumentedExamples)
{
    const struct {
        const char *name;
        QStringList lines;
        QStringList expected;
    } cases[] = {
        {"prefix words", {u"Catalogue No. abc 123"_s}, {u"ABC 123"_s}},
        {"noise words", {u"LP 33"_s, u"Side 12"_s}, {}},
        {"no pattern matches", {u"Side 2"_s, u"33 RPM STEREO"_s}, {}},
        {"spellings of one number", {u"QRS 4410"_s, u"qrs-4410"_s, u"QRS4410"_s}, {u"QRS 4410"_s}},
        {"a run inside a longer key", {u"3K 512 16384"_s}, {u"3K 512 16384"_s}},
        {"letters first", {u"16384"_s, u"ST 1234"_s}, {u"ST 1234"_s, u"16384"_s}},
        {"a 12-digit barcode", {u"036000291452"_s}, {}},
        {"a 12-digit run with a wrong check digit", {u"036000291453"_s}, {u"036000291453"_s}},
        {"a 13-digit run", {u"4006381333931"_s}, {}},
        {"13 digits, wrong check digit", {u"4006381333932"_s}, {}},
        // "NO" and "CATNO" are noise too, so the number itself is the candidate.
        {"Cat. No.", {u"Cat. No. 12345"_s}, {u"12345"_s}},
        {"CATNO", {u"CATNO 55123"_s}, {u"55123"_s}},
        {"empty", {}, {}},
        // Every run of letters a noise word: a label line, not a catalog number.
        {"noise runs", {u"STEREO 33 RPM"_s, u"LP 45 RPM"_s, u"SIDE B 12"_s}, {}},
        {"noise runs beside a number", {u"STEREO 33 RPM"_s, u"SHVL 804"_s}, {u"SHVL 804"_s}},
        {"one run that is no noise word keeps the match", {u"LP 3345 XB"_s}, {u"LP 3345 XB"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextRecognizer::catalogNumberCandidates(c.lines), c.expected);
    }
}

TEST(TextRecognizer, CatalogNumberCandidatesAreCappedAtSixAfterOrdering)
{
    const QStringList found = candidates(
        {"AB 11", "CD 2222", "EF 333", "GH 44444", "IJ 55", "KL 666666", "MN 7777", "98765"});
    EXPECT_EQ(found, (QStringList{u"KL 666666"_s, u"GH 44444"_s, u"CD 2222"_s, u"MN 7777"_s,
                                  u"EF 333"_s, u"AB 11"_s}));
}

TEST(TextRecognizer, MergesTheThreeOrientationsByBestConfidence)
{
    OrientationReader reader;
    reader.readings[Turn::up] = {{u"ab"_s, 0.9}, {u"SPINE 204"_s, 0.6}, {u"A"_s, 0.99},
                                 {u" -- "_s, 0.99}, {u"quiet"_s, 0.49}, {u"edge"_s, 0.5}};
    reader.readings[Turn::right] = {{u"AB"_s, 0.8}, {u"SPINE 204"_s, 0.9}, {u"  padded \n"_s, 0.8}};
    reader.readings[Turn::left] = {{u"once"_s, 0.8}};
    const RecognizedText text = TextRecognizer::recognize(OrientationReader::markedImage(40, 30), reader);
    // Equal confidences keep the order of reading: up, then right, then left.
    // "ab" and "SPINE 204" tie at 0.9: "ab" was read first.
    EXPECT_EQ(text.lines, (QStringList{u"ab"_s, u"SPINE 204"_s, u"padded"_s, u"once"_s, u"edge"_s}));
    EXPECT_EQ(text.catalogNumbers, QStringList{u"SPINE 204"_s});
    EXPECT_EQ(reader.heights, (QList<double>{0.015, 0.015, 0.015}));
}

TEST(TextRecognizer, TiesAreOrderedTheSameWayEveryTime)
{
    OrientationReader reader;
    reader.readings[Turn::up] = {{u"zeta"_s, 0.7}, {u"alpha"_s, 0.7}};
    reader.readings[Turn::left] = {{u"mid"_s, 0.7}};
    reader.readings[Turn::right] = {{u"beta"_s, 0.7}};
    const QStringList expected = {u"zeta"_s, u"alpha"_s, u"beta"_s, u"mid"_s};
    for (int run = 0; run < 5; ++run)
        EXPECT_EQ(TextRecognizer::recognize(OrientationReader::markedImage(30, 20), reader).lines, expected);
}

TEST(TextRecognizer, ImagesWithoutTextAndUnreadableFiles)
{
    OrientationReader reader;
    EXPECT_EQ(TextRecognizer::recognize(QImage(), reader), RecognizedText{});
    EXPECT_EQ(TextRecognizer::recognize(OrientationReader::markedImage(20, 20), reader), RecognizedText{});

    QTemporaryDir dir;
    const QString text = dir.filePath(u"notes.txt"_s);
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Cat. No. ABC 123\n");
    file.close();
    for (const QString &path : {text, dir.filePath(u"missing.png"_s)}) {
        try {
            TextRecognizer::recognize(path, reader);
            ADD_FAILURE() << "no error";
        } catch (const Error &error) {
            EXPECT_TRUE(error.message().startsWith(u"The file \u201C"_s)) << error.message().toStdString();
        }
    }
}

TEST(TextRecognizer, PhotosAreReadUprightAndAtMost4096PixelsASide)
{
    QTemporaryDir dir;
    // A label photographed upside down, stored with the orientation tag that turns it upright.
    const QImage upright = OrientationReader::markedImage(60, 40);
    const QString tagged = dir.filePath(u"tagged.jpg"_s);
    QImageWriter writer(tagged, "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate180);
    ASSERT_TRUE(writer.write(upright.transformed(QTransform().rotate(180))));
    const QImage read = readUprightImage(tagged, TextRecognizer::kMaxImageSide);
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(OrientationReader::turnOf(read), Turn::up);

    OrientationReader reader;
    reader.readings[Turn::up] = {{u"upright"_s, 0.9}};
    EXPECT_EQ(TextRecognizer::recognize(tagged, reader).lines, QStringList{u"upright"_s});

    // A huge photo is decoded reduced.
    QImage wide(6000, 300, QImage::Format_Grayscale8);
    wide.fill(Qt::white);
    const QString widePath = dir.filePath(u"wide.png"_s);
    ASSERT_TRUE(wide.save(widePath));
    const QSize reduced = readUprightImage(widePath, TextRecognizer::kMaxImageSide).size();
    EXPECT_EQ(reduced.width(), 4096);
    EXPECT_NEAR(reduced.height(), 205, 1);
}

TEST(TextRecognizer, ConfidenceScale)
{
    EXPECT_DOUBLE_EQ(confidenceFromTesseract(100), 1.0);
    EXPECT_DOUBLE_EQ(confidenceFromTesseract(-1), 0.0);
    EXPECT_LT(confidenceFromTesseract(70), 0.5);
    EXPECT_GE(confidenceFromTesseract(85), 0.5);
}

TEST(TextRecognizer, WarmUpStartsOneEngineForEachOrientationOnce)
{
    TextRecognizer::warmUpOnce();
    TextRecognizer::warmUpOnce();
    const std::shared_ptr<const TextReader> reader = tesseractTextReader();
    QDeadlineTimer deadline(120'000);
    while (reader->parallelism() < 3 && !deadline.hasExpired())
        QThread::msleep(20);
    QThread::msleep(200);
    // A second call started nothing more: three engines, not six.
    EXPECT_EQ(reader->parallelism(), 3);
}

namespace {

// A spine as it stands on the shelf: one line of print on a long narrow strip.
QImage spine(const QString &text)
{
    return test::label({text}, 34, QSize(720, 60));
}

} // namespace

TEST(TextRecognizer, RealEngineReadsLabelsAndSpinesButNotUpsideDownPrint)
{
    const QImage label = test::label({u"Cat. No. SHVL 804"_s, u"Pink Floyd"_s}, 32, QSize(520, 140));
    QImage askew = test::photoBackground(900, 520, 4);
    test::place(askew, label, {450, 260}, 5);
    test::blurAndNoise(askew, 0.9, 8, 4);
    QImage noise = test::photoBackground(500, 400, 8);
    test::blurAndNoise(noise, 0, 70, 8);
    QImage blank(500, 400, QImage::Format_RGB32);
    blank.fill(QColor(238, 232, 214));

    const struct {
        const char *name;
        QImage image;
        QStringList catalogNumbers;
        QString line; // one line that must be read, when set
        bool noLines = false;
    } cases[] = {
        {"label askew, soft and noisy", askew, {u"SHVL 804"_s}, u"Pink Floyd"_s},
        // Spines read top to bottom and bottom to top.
        {"spine turned right", test::rotated(spine(u"Keith Jarrett ECM 1064"_s), 90),
         {u"ECM 1064"_s}, u"Keith Jarrett ECM 1064"_s},
        {"spine turned left", test::rotated(spine(u"Miles Davis BLP 1501"_s), -90),
         {u"BLP 1501"_s}, u"Miles Davis BLP 1501"_s},
        // No orientation reads print that is upside down; what comes out is noise.
        {"label upside down", test::rotated(label, 180), {}, {}},
        {"sensor noise", noise, {}, {}, true},
        {"blank", blank, {}, {}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const RecognizedText text = TextRecognizer::recognize(c.image);
        EXPECT_EQ(text.catalogNumbers, c.catalogNumbers) << text.lines.join(u" | "_s).toStdString();
        if (!c.line.isEmpty()) {
            EXPECT_TRUE(text.lines.contains(c.line)) << text.lines.join(u" | "_s).toStdString();
        }
        if (c.noLines) {
            EXPECT_EQ(text.lines, QStringList{});
        }
    }
}
