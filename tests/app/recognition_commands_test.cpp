// The image-scan, photo-analysis and text-reading commands, in process and as the real vorla binary.
#include "app/debug_hooks.h"

#include "../scanner/photo_fixtures.h"
#include "../scanner/recognition_fixtures.h"
#include "vorla_process.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace vorla;
using namespace Qt::StringLiterals;

namespace {

QString writeTextFile(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"notes.txt"_s);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("4006381333931\n");
    return path;
}

} // namespace

TEST(ScanImageCommand, PrintsTheCodesOrTheMessage)
{
    QTemporaryDir dir;
    QImage photo = test::photoBackground(1000, 700);
    test::place(photo, test::barcodeSymbol(ZXing::BarcodeFormat::EAN13, "4006381333931", 3), {500, 350}, 10);
    const QString photoPath = dir.filePath(u"sleeve.jpg"_s);
    ASSERT_TRUE(photo.save(photoPath, "JPEG", 90));
    const QString plainPath = dir.filePath(u"plain.png"_s);
    ASSERT_TRUE(test::photoBackground(300, 200).save(plainPath));

    const struct {
        QString path;
        QStringList lines;
    } cases[] = {
        {photoPath, {u"4006381333931"_s}},
        {plainPath, {u"No barcodes found"_s}},
        {writeTextFile(dir),
         {u"Error: The file \u201Cnotes.txt\u201D couldn\u2019t be opened because it isn\u2019t in the correct format."_s}},
        {u""_s, {u"Error: The file \u201C\u201D couldn\u2019t be opened because there is no such file."_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QString output;
        QTextStream out(&output);
        EXPECT_EQ(DebugHooks::scanImage(c.path, out), 0);
        out.flush();
        EXPECT_EQ(output, c.lines.join(u'\n') + u'\n');
    }

    // The real binary, without a display, prints the same and nothing on standard error.
    const test::VorlaRun run = test::runVorla({{u"VORLA_SCAN_IMAGE"_s, photoPath}});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.lines, QStringList{u"4006381333931"_s});
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
}

TEST(ReadTextCommand, PrintsCatalogNumbersLinesAndTheSearch)
{
    QTemporaryDir dir;
    const QString labelPath = dir.filePath(u"label.png"_s);
    // The real engine, once, on a small label: it is slow to start under the sanitizers.
    ASSERT_TRUE(test::label({u"Cat. No. SHVL 804"_s, u"Pink Floyd"_s}, 32, QSize(520, 140)).save(labelPath));

    const test::VorlaRun run = test::runVorla({{u"VORLA_READ_TEXT"_s, labelPath}}, 280000);
    EXPECT_EQ(run.exitStatus, 0);
    ASSERT_EQ(run.lines.size(), 3) << run.lines.join(u'\n').toStdString();
    EXPECT_EQ(run.lines[0], u"Catalog numbers: [\"SHVL 804\"]"_s);
    EXPECT_TRUE(run.lines[1].startsWith(u"Lines: [\""_s)) << run.lines[1].toStdString();
    EXPECT_TRUE(run.lines[1].contains(u"\"Pink Floyd\""_s)) << run.lines[1].toStdString();
    EXPECT_TRUE(run.lines[2].startsWith(u"Search: ReleaseQuery(artist: \"\", "_s)) << run.lines[2].toStdString();
    EXPECT_TRUE(run.lines[2].contains(u"SHVL"_s)) << run.lines[2].toStdString();
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();

    QString output;
    QTextStream out(&output);
    EXPECT_EQ(DebugHooks::readText(writeTextFile(dir), out), 0);
    out.flush();
    EXPECT_EQ(output,
              u"Error: The file \u201Cnotes.txt\u201D couldn\u2019t be opened because it isn\u2019t in the correct format.\n"_s);
}

namespace {

quint32 crc32Of(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk;
    const auto appendNumber = [&chunk](quint32 value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            chunk.append(char((value >> shift) & 0xFF));
    };
    appendNumber(quint32(data.size()));
    chunk += type + data;
    appendNumber(crc32Of(type + data));
    return chunk;
}

// A PNG claiming `width` by `height` pixels, with hardly any pixel data after its header.
QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray header;
    for (quint32 value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8)
            header.append(char((value >> shift) & 0xFF));
    }
    header.append("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header)
        + pngChunk("IDAT", QByteArray("\x78\x9c", 2)) + pngChunk("IEND", {});
}

} // namespace

// Each reason a file cannot be read is named; none is called a wrong format.
TEST(ImageCommands, NameEachReasonAFileCannotBeRead)
{
    QTemporaryDir dir;
    const QString huge = dir.filePath(u"huge.png"_s);
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pngHeader(40000, 40000));
    }
    const struct {
        QString path;
        QString expected;
    } cases[] = {
        {dir.filePath(u"gone.png"_s),
         u"Error: The file \u201Cgone.png\u201D couldn\u2019t be opened because there is no such file.\n"_s},
        {dir.filePath(u"a\nb.png"_s),
         u"Error: The file \u201Ca\\nb.png\u201D couldn\u2019t be opened because there is no such file.\n"_s},
        {dir.path(),
         u"Error: The file \u201C%1\u201D couldn\u2019t be opened because it is a folder.\n"_s.arg(
             QFileInfo(dir.path()).fileName())},
        {huge,
         u"Error: The picture \u201Chuge.png\u201D is too large to decode (40000 \u00d7 40000 pixels).\n"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        for (DebugHooks::Command command : {&DebugHooks::scanImage, &DebugHooks::readText}) {
            QString output;
            QTextStream out(&output);
            EXPECT_EQ(command(c.path, out), 0);
            out.flush();
            EXPECT_EQ(output, c.expected);
        }
    }
}

// libpng's own error messages never reach the commands' standard error.
TEST(ImageCommands, DamagedImagesLeaveStandardErrorEmpty)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"damaged.png"_s);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(test::photoBackground(200, 200).save(&buffer, "PNG"));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(png.left(png.size() / 2));
    file.close();
    const test::VorlaRun run = test::runVorla({{u"VORLA_SCAN_IMAGE"_s, path}});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.lines.size(), 1);
    EXPECT_TRUE(run.lines.value(0).startsWith(u"Error: "_s));
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
}

TEST(AnalyzePhotoCommand, PrintsEachRecordWithItsCatalogNumbersBarcodesAndSearches)
{
    QTemporaryDir dir;
    const QImage cover = test::coverImage({u"Low Harbour"_s, u"Ana Lua"_s, u"ABC 1234"_s}, 480, 0, "4006381333931");
    const QString photoPath = dir.filePath(u"cover.png"_s);
    ASSERT_TRUE(test::tablePhoto({cover}, {QPointF(330, 300)}, 480, 660, 600, 0.03, 12).save(photoPath));
    QImage wall(300, 200, QImage::Format_RGB32);
    wall.fill(QColor(214, 208, 196));
    const QString wallPath = dir.filePath(u"wall.png"_s);
    ASSERT_TRUE(wall.save(wallPath));
    const QString folder = dir.filePath(u"Shelf"_s);
    ASSERT_TRUE(QDir().mkpath(folder));

    // Failures and an empty photo, in process.
    const struct {
        QString path;
        QString pattern;
    } cases[] = {
        {dir.filePath(u"gone.jpg"_s),
         u"^Error: The file \u201Cgone.jpg\u201D couldn\u2019t be opened because there is no such file.\n$"_s},
        {writeTextFile(dir),
         u"^Error: The file \u201Cnotes.txt\u201D couldn\u2019t be opened because it isn\u2019t in the correct format.\n$"_s},
        {folder, u"^Error: The file \u201CShelf\u201D couldn\u2019t be opened because it is a folder.\n$"_s},
        {wallPath, u"^0 record\\(s\\) in \\d+\\.\\ds\n$"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QString output;
        QTextStream out(&output);
        EXPECT_EQ(DebugHooks::analyzePhoto(c.path, out), 0);
        out.flush();
        EXPECT_TRUE(QRegularExpression(c.pattern).match(output).hasMatch()) << output.toStdString();
    }

    // The real binary, with a layout named; a cover with a barcode.
    const test::VorlaRun run = test::runVorla({{u"VORLA_ANALYZE_PHOTO"_s, photoPath}, {u"VORLA_PHOTO_LAYOUT"_s, u"covers"_s}});
    EXPECT_EQ(run.exitStatus, 0);
    const std::string printed = run.lines.join(u'\n').toStdString();
    ASSERT_EQ(run.lines.size(), 5) << printed;
    EXPECT_TRUE(QRegularExpression(u"^1 record\\(s\\) in \\d+\\.\\ds$"_s).match(run.lines[0]).hasMatch()) << printed;
    EXPECT_TRUE(run.lines[1].startsWith(u"  1. [cover] Low Harbour "_s)) << printed;
    EXPECT_EQ(run.lines[2], u"     cat#: [\"ABC 1234\"]"_s) << printed;
    EXPECT_EQ(run.lines[3], u"     barcode: [\"4006381333931\"]"_s) << printed;
    EXPECT_TRUE(run.lines[4].startsWith(u"     searches: [\"low harbour"_s)) << printed;
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
}
