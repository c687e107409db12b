#include "app/quit_guard.h"

#include "models/model_context.h"
#include "models/record.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

class QuitGuardTest : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Vorla.store"));
    ModelContext context{path};
    QWidget window;
    QuitGuard guard{&window, &context};
    Record *record = nullptr;

    void SetUp() override
    {
        record = context.insert(std::make_unique<Record>());
        record->setTitle(QStringLiteral("saved"));
        context.save();
        window.show();
    }
    // A store whose writes fail the way a full disk makes them fail.
    void failWrites(bool fail)
    {
        SQLite::Database peer(path.toStdString(), SQLite::OPEN_READWRITE);
        peer.exec(fail ? "CREATE TRIGGER full BEFORE UPDATE ON records "
                         "BEGIN SELECT RAISE(ABORT, 'No space left on device'); END"
                       : "DROP TRIGGER full");
    }
    std::string storedTitle()
    {
        return SQLite::Database(path.toStdString(), SQLite::OPEN_READONLY)
            .execAndGet("SELECT title FROM records")
            .getString();
    }
    void answer(const char *button)
    {
        ASSERT_TRUE(guard.question());
        auto *chosen = guard.question()->findChild<QPushButton *>(QLatin1String(button));
        ASSERT_TRUE(chosen);
        chosen->click();
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(QuitGuardTest, ClosingSavesPendingEditsFirst)
{
    record->setTitle(QStringLiteral("edited"));
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(storedTitle(), "edited");
    EXPECT_FALSE(guard.question());
}

TEST_F(QuitGuardTest, AFailedSaveAsksBeforeTheEditsAreLost)
{
    failWrites(true);
    record->setTitle(QStringLiteral("edited"));
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(guard.question());
    EXPECT_TRUE(guard.question()->informativeText().contains(QStringLiteral("No space left on device")));

    answer("quitGuardCancel");
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(context.hasChanges());

    // Retry while the disk is still full asks again; with space it saves and closes.
    EXPECT_FALSE(window.close());
    answer("quitGuardRetry");
    EXPECT_TRUE(QTest::qWaitFor([&] { return guard.question() != nullptr; }, 2000));
    EXPECT_TRUE(window.isVisible());
    failWrites(false);
    answer("quitGuardRetry");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 2000));
    EXPECT_EQ(storedTitle(), "edited");
}

TEST_F(QuitGuardTest, QuitWithoutSavingLeavesTheFileAsItWas)
{
    failWrites(true);
    record->setTitle(QStringLiteral("edited"));
    EXPECT_FALSE(window.close());
    answer("quitGuardDiscard");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 2000));
    EXPECT_FALSE(context.hasChanges());
    failWrites(false);
    EXPECT_EQ(storedTitle(), "saved");
}
