#include "views/library_message_bar.h"

#include "small_file_system.h"

#include "models/model_context.h"
#include "models/record.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

using namespace vorla;

TEST(LibraryMessageBar, AFailedSaveIsShownAtOnceAndCanBeTriedAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vorla.store"));
    ModelContext context(path);
    Record *record = context.insert(std::make_unique<Record>());
    context.save();

    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("collection")));
    LibraryMessageBar *bar = LibraryMessageBar::install(&window, &context);
    window.show();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(window.findChild<QLabel *>()->isVisible()); // the collection stays below it

    SQLite::Database(path.toStdString(), SQLite::OPEN_READWRITE)
        .exec("CREATE TRIGGER full BEFORE UPDATE ON records "
              "BEGIN SELECT RAISE(ABORT, 'No space left on device'); END");
    record->setNotes(QStringLiteral("after the disk filled"));
    // The automatic save fails about a second later; the bar says so with the reason.
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->isVisible(); }, ModelContext::kAutosaveDelayMs * 5));
    EXPECT_TRUE(bar->text().contains(QStringLiteral("No space left on device")));
    EXPECT_TRUE(context.hasChanges());

    SQLite::Database(path.toStdString(), SQLite::OPEN_READWRITE).exec("DROP TRIGGER full");
    bar->findChild<QPushButton *>(QStringLiteral("libraryMessageRetry"))->click();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(context.hasChanges());
}

TEST(LibraryMessageBar, AReadOnlyLibrarySaysSoFromTheStart)
{
    test::SmallFileSystem disk("1m");
    if (!disk.valid())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const QString path = disk.filePath(QStringLiteral("Vorla.store"));
    {
        ModelContext context(path);
        context.insert(std::make_unique<Record>());
    }
    ASSERT_TRUE(disk.makeReadOnly());
    ModelContext context(path);
    QMainWindow window;
    LibraryMessageBar *bar = LibraryMessageBar::install(&window, &context);
    window.show();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->text(), QStringLiteral("This library is read-only: changes can't be saved."));
    EXPECT_FALSE(bar->findChild<QPushButton *>(QStringLiteral("libraryMessageRetry"))->isVisible());
}
