#include "views/batch_sheet_fixture.h"

#include "app/app_state.h"
#include "app/vorla_commands.h"
#include "views/batch_text.h"
#include "views/main_window.h"

#include <QAction>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace vorla;
using namespace vorla::test;
using Status = BatchItem::Status;

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(BatchText, CountsLinesAtEveryLineBreakAndSetsAsideWhatCannotBeSearched)
{
    const struct
    {
        const char *text;
        int nonBlank;
        QStringList queued;
        QStringList skipped;
    } cases[] = {
        { "", 0, {}, {} },
        { " \n\t\n\r\n", 0, {}, {} },
        { "\n  Ana Lua - Low Harbour \n\n", 1, { u8("Ana Lua - Low Harbour") }, {} },
        { "one\rtwo\u2028three\r\nfour\u2029five\x0bsix", 6,
            { u8("one"), u8("two"), u8("three"), u8("four"), u8("five"), u8("six") }, {} },
        { "1. Gulls\n\u2003-\u2003\n\u200b", 3, { u8("1. Gulls"), u8("-"), u8("\u200b") }, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const BatchText::Lines lines = BatchText::split(u8(c.text));
        EXPECT_EQ(lines.nonBlank, c.nonBlank);
        EXPECT_EQ(lines.queued, c.queued);
        EXPECT_EQ(lines.skipped, c.skipped);
    }
    EXPECT_EQ(BatchText::appended(u8("one"), u8("two\n")), u8("one\ntwo\n"));
    EXPECT_EQ(BatchText::appended(u8("one\n"), u8("two")), u8("one\ntwo"));
    EXPECT_EQ(BatchText::appended(QString(), u8("two")), u8("two"));
}

TEST_F(BatchSheetTest, FooterCountsLinesAndOnlyLinesThatWillBeQueued)
{
    sheet();
    EXPECT_FALSE(sheet().isShowingReview());
    auto *editor = find<QPlainTextEdit>(&input(), "editor");
    EXPECT_EQ(editor->placeholderText(), u8("One record per line…"));
    auto *match = find<QPushButton>(&input(), "match");
    const struct
    {
        const char *text;
        const char *count;
        const char *button;
        bool enabled;
    } cases[] = {
        { "\n \n", "0 lines", "Match 0 Records", false },
        { "\n Gulls \n\n", "1 line", "Match 1 Record", true },
        { "Gulls\rTides", "2 lines", "Match 2 Records", true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        input().setText(u8(c.text));
        EXPECT_EQ(text(&input(), "lineCount"), u8(c.count));
        EXPECT_EQ(match->text(), u8(c.button));
        EXPECT_EQ(match->isEnabled(), c.enabled);
    }
}

// The editor and the matcher read the same lines: what the footer counts is what is queued.
TEST_F(BatchSheetTest, MatchQueuesExactlyTheLinesTheFooterCounts)
{
    const QString text = u8("Ana Lua - Low Harbour\n\t\n - \n1. \u2003ABC 1234\r\u200b\n");
    const BatchText::Lines lines = BatchText::split(text);
    matcher.enqueue(text);
    EXPECT_EQ(itemLines(), lines.queued);
    matcher.clear();

    sheet();
    input().setText(text);
    EXPECT_EQ(buttonText(&input(), "match"), QStringLiteral("Match %1 Records").arg(lines.queued.size()));
    find<QPushButton>(&input(), "match")->click();
    EXPECT_EQ(itemLines(), lines.queued);
    EXPECT_EQ(input().text(), lines.skipped.join(u'\n'));
    EXPECT_EQ(find<QWidget>(&input(), "note")->isVisibleTo(&input()), !lines.skipped.isEmpty());
    EXPECT_TRUE(sheet().isShowingReview());
    ASSERT_TRUE(waitUntilIdle());

    // Back to the input; Escape returns to the review with the list untouched.
    find<QAbstractButton>(&review(), "addMore")->click();
    EXPECT_FALSE(sheet().isShowingReview());
    EXPECT_EQ(buttonText(&input(), "cancel"), u8("Back to Review"));
    sheet().reject();
    EXPECT_TRUE(sheet().isShowingReview());
    EXPECT_TRUE(sheet().isVisible());
    EXPECT_EQ(itemLines(), lines.queued);
}

TEST_F(BatchSheetTest, ReturnStartsALineAndControlReturnMatches)
{
    sheet().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet()));
    auto *editor = find<QPlainTextEdit>(&input(), "editor");
    editor->setFocus();
    QTest::keyClicks(editor, u8("Gulls"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, u8("Tides"));
    EXPECT_EQ(input().text(), u8("Gulls\nTides"));
    EXPECT_TRUE(matcher.items().isEmpty());
    EXPECT_FALSE(sheet().isShowingReview());
    EXPECT_EQ(
        find<QWidget>(&input(), "match")->toolTip(), u8("Search for the lines (Ctrl+Return)"));

    // The shortcut presses the button, which clicks when it springs back.
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return sheet().isShowingReview(); }));
    EXPECT_EQ(itemLines(), (QStringList { u8("Gulls"), u8("Tides") }));
    EXPECT_TRUE(sheet().isShowingReview());
    ASSERT_TRUE(waitUntilIdle());
}

TEST_F(BatchSheetTest, EscapeWithoutWorkClosesTheSheet)
{
    sheet();
    EXPECT_EQ(buttonText(&input(), "cancel"), u8("Cancel"));
    find<QAbstractButton>(&input(), "cancel")->click();
    EXPECT_FALSE(sheet().isVisible());
}

TEST_F(BatchSheetTest, TextFilesAreAppendedOnALineOfTheirOwn)
{
    const QString path = dir.filePath(u8("list.txt"));
    write(path, "\xef\xbb\xbfGulls - Ferries\nTides\n");
    sheet();
    input().setText(u8("Ana Lua"));
    EXPECT_TRUE(sheet().appendTextFile(path));
    EXPECT_EQ(input().text(), u8("Ana Lua\nGulls - Ferries\nTides\n"));
    EXPECT_EQ(text(&input(), "lineCount"), u8("3 lines"));
    EXPECT_TRUE(sheet().appendTextFile(path));
    EXPECT_EQ(input().text(), u8("Ana Lua\nGulls - Ferries\nTides\nGulls - Ferries\nTides\n"));
}

TEST_F(BatchSheetTest, FilesThatAreNoListAreRefusedWithAMessage)
{
    const QString big = dir.filePath(u8("big.txt"));
    write(big, QByteArray(BatchImportSheet::kMaxTextFileBytes + 1, 'a'));
    const QString binary = dir.filePath(u8("cover.txt"));
    write(binary, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const QString latin1 = dir.filePath(u8("latin1.txt"));
    write(latin1, "Bj\xf6rk - Debut\n");
    const struct
    {
        QString path;
        const char *message;
    } cases[] = {
        { big, "“big.txt” is larger than 8 MB" },
        { binary, "“cover.txt” is not a text file." },
        { latin1, "“latin1.txt” is not a text file." },
        { dir.filePath(u8("missing.txt")), "“missing.txt” could not be opened" },
    };
    sheet();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        input().setText(u8("kept"));
        EXPECT_FALSE(sheet().appendTextFile(c.path));
        EXPECT_EQ(input().text(), u8("kept"));
        EXPECT_TRUE(text(&input(), "note").startsWith(u8(c.message))) << text(&input(), "note").toStdString();
    }
    const QString good = dir.filePath(u8("good.txt"));
    write(good, "Tides\n");
    EXPECT_TRUE(sheet().appendTextFile(good));
    EXPECT_FALSE(find<QWidget>(&input(), "note")->isVisibleTo(&input()));
}

TEST_F(BatchSheetTest, PhotosAreQueuedByFileNameWithTheChosenLayout)
{
    AppSettings::shared().setValue(AppSettings::photoLayoutKey, u8("spines"));
    sheet();
    EXPECT_EQ(input().photoLayout(), PhotoLayout::spines);
    review().setFilter(BatchReview::Filter::notFound);
    sheet().importPhotos({ photo("b.jpg"), photo("a.jpg"), photo("B.jpg") });
    EXPECT_TRUE(sheet().isShowingReview());
    EXPECT_EQ(review().filter(), BatchReview::Filter::all);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(analyzer.analysed(), (QStringList { u8("B.jpg"), u8("a.jpg"), u8("b.jpg") }));
    EXPECT_EQ(analyzer.layouts(),
        (QList<PhotoLayout> { PhotoLayout::spines, PhotoLayout::spines, PhotoLayout::spines }));
}

TEST_F(BatchSheetTest, OnlyDroppedImageFilesCount)
{
    const QList<QUrl> dropped { QUrl::fromLocalFile(u8("/photos/shelf.PNG")),
        QUrl::fromLocalFile(u8("/photos/list.txt")), QUrl(u8("https://example.com/a.jpg")),
        QUrl::fromLocalFile(u8("/photos/cover.jpeg")) };
    EXPECT_EQ(BatchInputPane::imageFiles(dropped),
        (QList<QUrl> { dropped.at(0), dropped.at(3) }));
    EXPECT_TRUE(BatchInputPane::imageFiles({ dropped.at(1) }).isEmpty());
}

TEST_F(BatchSheetTest, StartingWithThePhotoPickerShowsIt)
{
    sheet(true);
    auto *panel = sheet().findChild<QFileDialog *>(u8("photoPanel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->fileMode(), QFileDialog::ExistingFiles);
    panel->reject();
    EXPECT_FALSE(sheet().isShowingReview());
    EXPECT_TRUE(sheet().isVisible());
    EXPECT_TRUE(matcher.pendingPhotos().isEmpty());
}

TEST_F(BatchSheetTest, ReopeningShowsTheReviewWhileWorkRemains)
{
    matcher.setItems({ item("Tides", Status::notFound()) });
    sheet();
    find<QAbstractButton>(&review(), "close")->click();
    EXPECT_FALSE(sheet().isVisible());
    m_sheet.reset();
    EXPECT_TRUE(sheet().isShowingReview());
    EXPECT_EQ(matcher.items().size(), 1);
}

TEST_F(BatchSheetTest, StagedActionsAndMenuRequestsOpenTheSheet)
{
    ModelContext &store = openStore();
    AppState appState;
    MainWindow window(&store, &appState, &refresher);
    window.setBatchMatcher(&matcher);
    window.show();
    const auto openSheet = [&window] { return window.findChild<BatchImportSheet *>(); };

    window.applyDebugAction(u8("batch-review"));
    BatchImportSheet *staged = openSheet();
    ASSERT_NE(staged, nullptr);
    EXPECT_TRUE(staged->isVisible());
    EXPECT_TRUE(staged->isShowingReview());
    EXPECT_EQ(matcher.items().size(), 6);
    EXPECT_TRUE(appState.showBatchImport());
    staged->reject();
    EXPECT_FALSE(appState.showBatchImport());
    ASSERT_TRUE(QTest::qWaitFor([&] { return openSheet() == nullptr; }));

    matcher.clear();
    window.applyDebugAction(u8("batch"));
    ASSERT_NE(openSheet(), nullptr);
    EXPECT_FALSE(openSheet()->isShowingReview());
    EXPECT_EQ(openSheet()->findChild<QFileDialog *>(), nullptr);
    openSheet()->reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return openSheet() == nullptr; }));

    // The photo command asks for the picker; closing the sheet resets the request.
    window.commands()->importPhotos->trigger();
    ASSERT_NE(openSheet(), nullptr);
    EXPECT_NE(openSheet()->findChild<QFileDialog *>(u8("photoPanel")), nullptr);
    openSheet()->reject();
    EXPECT_FALSE(appState.batchImportPicksPhotos());
    ASSERT_TRUE(QTest::qWaitFor([&] { return openSheet() == nullptr; }));
    window.commands()->importList->trigger();
    ASSERT_NE(openSheet(), nullptr);
    EXPECT_EQ(openSheet()->findChild<QFileDialog *>(), nullptr);
    openSheet()->reject();
}
