// The collection browser in the main window, answered through the window's own panels and
// alerts: the requests of the application state reach the operations, and the answers
// reach the records.
#include "views/collection_browser.h"
#include "views/browsing_state.h"

#include "isolated_settings.h"

#include "app/app_state.h"
#include "app/metadata_refresher.h"
#include "models/model_context.h"
#include "models/record.h"
#include "models/record_draft.h"
#include "services/collection_csv.h"
#include "views/main_window.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

class CollectionBrowserTest : public testing::Test
{
protected:
    test::IsolatedSettings isolatedSettings;
    QTemporaryDir dir;
    ModelContext context;
    AppState appState;
    std::atomic<int> lookups = 0;
    // Finds every record it is asked about.
    MetadataRefresher refresher { [this] {
        return [this](std::optional<qint64>, std::optional<QString>, QString, std::stop_token) {
            ++lookups;
            RecordDraft draft;
            draft.label = QStringLiteral("Looked Up");
            return std::optional<RecordDraft>(draft);
        };
    } };
    std::unique_ptr<MainWindow> window;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>(&context, &appState, &refresher);
        window->show();
    }
    Record *add(const QString &title, const QString &barcode = {})
    {
        auto record = std::make_unique<Record>();
        record->setTitle(title);
        record->setBarcode(barcode);
        Record *added = context.insert(std::move(record));
        QCoreApplication::processEvents();
        return added;
    }
    template <typename Dialog> Dialog *shown()
    {
        QCoreApplication::processEvents();
        for (Dialog *dialog : window->findChildren<Dialog *>()) {
            if (dialog->isVisible())
                return dialog;
        }
        return nullptr;
    }
    // The alert's title and message, closing it.
    QStringList answerAlert()
    {
        QMessageBox *box = shown<QMessageBox>();
        if (!box)
            return {};
        const QStringList texts { box->text(), box->informativeText() };
        box->button(QMessageBox::Ok)->click();
        return texts;
    }
    // Answers the open file panel as a user choosing `path` would.
    void answerFileDialog(QFileDialog::AcceptMode mode, const QString &path)
    {
        QFileDialog *dialog = shown<QFileDialog>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), mode);
        EXPECT_TRUE(dialog->isModal());
        emit dialog->fileSelected(path);
        static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(CollectionBrowserTest, DeleteConfirmationCancelsOrDeletes)
{
    Record *kept = add(QStringLiteral("Harbor Lights"));
    window->browsingState()->setSelection({ kept->id() });
    window->recordActions().deleteRecords({ kept->id() });
    QMessageBox *box = shown<QMessageBox>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Delete “Harbor Lights”?"));
    EXPECT_EQ(box->informativeText(), QStringLiteral("This can't be undone."));
    QPushButton *remove = nullptr;
    for (QAbstractButton *button : box->buttons()) {
        if (box->buttonRole(button) == QMessageBox::DestructiveRole)
            remove = qobject_cast<QPushButton *>(button);
    }
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), QStringLiteral("Delete"));
    box->button(QMessageBox::Cancel)->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->browsingState()->pendingDelete().isEmpty());
    EXPECT_NE(context.record(kept->id()), nullptr);

    window->recordActions().deleteRecords({ kept->id() });
    box = shown<QMessageBox>();
    ASSERT_NE(box, nullptr);
    for (QAbstractButton *button : box->buttons()) {
        if (box->buttonRole(button) == QMessageBox::DestructiveRole)
            button->click();
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(context.records().isEmpty());
    EXPECT_TRUE(window->browsingState()->selection().isEmpty());
    EXPECT_TRUE(window->browsingState()->pendingDelete().isEmpty());
    EXPECT_EQ(window->collectionPage(), MainWindow::CollectionPage::empty);
}

TEST_F(CollectionBrowserTest, ImportAndExportGoThroughTheWindowsFilePanels)
{
    const QString importPath = dir.filePath(QStringLiteral("in.csv"));
    QFile file(importPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Artist,Title,Barcode\nMarta Quill,Harbor Lights,0724\n");
    file.close();
    appState.setShowImporter(true);
    answerFileDialog(QFileDialog::AcceptOpen, importPath);
    EXPECT_FALSE(appState.showImporter());
    EXPECT_EQ(answerAlert(),
        (QStringList { u"Imported 1 record"_s,
            u"Choose File \u25B8 Fetch Missing Metadata & Artwork to download covers and tracklists "_s
            u"for 1 of them."_s }));
    ASSERT_EQ(context.records().size(), 1);

    // The export holds every record, also those the search hides, in display order.
    add(QStringLiteral("Another"));
    window->browsingState()->setSearchText(QStringLiteral("harbor"));
    QCoreApplication::processEvents();
    ASSERT_EQ(window->browsingState()->visibleRecords().size(), 1);
    appState.setShowExporter(true);
    const QString exportPath = dir.filePath(QStringLiteral("out.csv"));
    answerFileDialog(QFileDialog::AcceptSave, exportPath);
    EXPECT_FALSE(appState.showExporter());
    EXPECT_TRUE(answerAlert().isEmpty());
    window->browsingState()->setSearchText({});
    QCoreApplication::processEvents();
    QFile written(exportPath);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()),
        CollectionCSV::exportRecords(window->browsingState()->visibleRecords()));
}

TEST_F(CollectionBrowserTest, FetchMissingMetadataQueuesWhatNeedsItInTheRefresher)
{
    appState.setFetchMissingRequested(true);
    EXPECT_FALSE(appState.fetchMissingRequested());
    EXPECT_EQ(answerAlert(),
        (QStringList { u"Nothing to Fetch"_s,
            u"Every record with a barcode or release ID already has artwork and a tracklist."_s }));
    EXPECT_FALSE(refresher.isRunning());

    Record *first = add(QStringLiteral("One"), QStringLiteral("0724"));
    Record *second = add(QStringLiteral("Two"), QStringLiteral("5099"));
    Record *unknown = add(QStringLiteral("Nothing to go by"));
    appState.setFetchMissingRequested(true);
    EXPECT_TRUE(refresher.isRunning());
    EXPECT_EQ(refresher.total(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher.isRunning(); }, 5000));
    EXPECT_EQ(lookups, 2);
    EXPECT_EQ(first->label(), QStringLiteral("Looked Up"));
    EXPECT_EQ(second->label(), QStringLiteral("Looked Up"));
    EXPECT_TRUE(unknown->label().isEmpty());
    EXPECT_TRUE(answerAlert().isEmpty());
}
