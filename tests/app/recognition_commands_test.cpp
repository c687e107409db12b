// The image-scan and text-reading commands, in process and as the real vorla binary.
#include "app/debug_hooks.h"

#include "../scanner/recognition_fixtures.h"
#include "vorla_process.h"

#include <QFile>
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
