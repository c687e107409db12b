#include "views/collection_operations.h"
#include "views/browsing_state.h"

#include "test_images.h"

#include "views/collection_dialogs.h"
#include "views/collection_model.h"
#include "views/collection_selection.h"

#include "models/model_context.h"
#include "models/record.h"
#include "services/collection_csv.h"

#include <QFile>
#include <QTemporaryDir>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

// Answers every panel at once as told and writes down what the user would have seen.
class ScriptedDialogs : public CollectionDialogs
{
public:
    struct Shown
    {
        QString title;
        QString message;
        bool operator==(const Shown &) const = default;
    };

    std::optional<QString> chosenFile;
    bool confirms = false;
    QString proposedName;
    QList<Shown> alerts;
    QList<Shown> confirmations;

    void chooseImportFile(QWidget *, std::function<void(std::optional<QString>)> done) override
    {
        done(chosenFile);
    }
    void chooseExportFile(QWidget *, const QString &fileName,
        std::function<void(std::optional<QString>)> done) override
    {
        proposedName = fileName;
        done(chosenFile);
    }
    void showAlert(QWidget *, const QString &title, const QString &message) override
    {
        alerts.append({ title, message });
    }
    void confirmDelete(QWidget *, const QString &title, const QString &message,
        std::function<void(bool)> done) override
    {
        confirmations.append({ title, message });
        done(confirms);
    }
};

void PrintTo(const ScriptedDialogs::Shown &shown, std::ostream *out)
{
    *out << '"' << shown.title.toStdString() << "\" / \"" << shown.message.toStdString() << '"';
}

class CollectionOperationsTest : public testing::Test
{
protected:
    // A library file, so that a second connection can make its saves fail.
    QTemporaryDir dir;
    ModelContext context { dir.filePath(QStringLiteral("Vorla.store")) };
    CollectionModel model { &context };
    BrowsingState state { &context };
    CollectionSelection selection { &model, &state };
    ScriptedDialogs dialogs;
    CollectionOperations operations { &context, &selection, &dialogs, nullptr };

    QString writeFile(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("import.csv"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    Record *add(const QString &title)
    {
        auto record = std::make_unique<Record>();
        record->setTitle(title);
        return context.insert(std::move(record));
    }
    void refuse(const char *sql)
    {
        SQLite::Database(
            dir.filePath(QStringLiteral("Vorla.store")).toStdString(), SQLite::OPEN_READWRITE)
            .exec(sql);
    }
    qint64 storedRows()
    {
        return SQLite::Database(
            dir.filePath(QStringLiteral("Vorla.store")).toStdString(), SQLite::OPEN_READONLY)
            .execAndGet("SELECT count(*) FROM records")
            .getInt64();
    }
};

const QString kNoIdentifiers = QStringLiteral(
    "Records without a barcode or release ID can be refreshed individually after you add one.");

} // namespace

TEST_F(CollectionOperationsTest, ImportSaysWhatItAddedAndHowManyCanBeFetched)
{
    const struct
    {
        const char *name;
        QByteArray file;
        ScriptedDialogs::Shown expected;
        qsizetype added;
    } cases[] = {
        { "one row", "Artist,Title\nMarta Quill,Harbor Lights\n",
            { u"Imported 1 record"_s, kNoIdentifiers }, 1 },
        { "no rows", "Artist,Title\n", { u"Imported 0 records"_s, kNoIdentifiers }, 0 },
        { "two of three with ids", "Artist,Title,Barcode\nA,x,0724\nB,y,\nC,z,5099\n",
            { u"Imported 3 records"_s,
                u"Choose File \u25B8 Fetch Missing Metadata & Artwork to download covers and "_s
                "tracklists for 2 of them." },
            3 },
        { "no artist or title column", "Label,Year\nBlue Note,1959\n",
            { u"Import Failed"_s,
                u"This file doesn't look like a record collection. It needs at least an Artist or "_s
                "Title column." },
            0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype before = context.records().size();
        dialogs.alerts.clear();
        dialogs.chosenFile = writeFile(c.file);
        bool closed = false;
        operations.chooseImportFile([&closed] { closed = true; });
        EXPECT_TRUE(closed);
        EXPECT_EQ(dialogs.alerts, QList<ScriptedDialogs::Shown> { c.expected });
        EXPECT_EQ(context.records().size(), before + c.added);
        EXPECT_FALSE(context.hasChanges());
    }
    EXPECT_EQ(storedRows(), 4);
}

TEST_F(CollectionOperationsTest, ImportKeepsLatin1LettersAsReplacementCharacters)
{
    dialogs.chosenFile = writeFile("Artist,Title\nBj\xf6rk,Post\n");
    operations.chooseImportFile();
    ASSERT_EQ(context.records().size(), 1);
    EXPECT_EQ(context.records().first()->artist(), QStringLiteral("Bj\uFFFDrk"));
    EXPECT_EQ(dialogs.alerts.first().title, QStringLiteral("Imported 1 record"));
}

TEST_F(CollectionOperationsTest, ImportCancelledOrUnreadableChangesNothing)
{
    Record *kept = add(QStringLiteral("Kept"));
    selection.setIds({ kept->id() });
    dialogs.chosenFile = std::nullopt;
    operations.chooseImportFile();
    EXPECT_TRUE(dialogs.alerts.isEmpty());

    dialogs.chosenFile = dir.filePath(QStringLiteral("gone.csv"));
    operations.chooseImportFile();
    ASSERT_EQ(dialogs.alerts.size(), 1);
    EXPECT_EQ(dialogs.alerts.first().title, QStringLiteral("Import Failed"));
    EXPECT_FALSE(dialogs.alerts.first().message.isEmpty());
    EXPECT_EQ(context.records().size(), 1);
    EXPECT_EQ(selection.ids(), QSet<QUuid> { kept->id() });
}

TEST_F(CollectionOperationsTest, FailedSaveAfterImportTakesTheRecordsOutSoARetryAddsThemOnce)
{
    refuse("CREATE TRIGGER refuse BEFORE INSERT ON records WHEN NEW.title = 'Post' "
           "BEGIN SELECT RAISE(ABORT, 'disk says no'); END");
    dialogs.chosenFile = writeFile("Artist,Title\nMarta Quill,Harbor Lights\nBjork,Post\n");
    operations.chooseImportFile();
    ASSERT_EQ(dialogs.alerts.size(), 1);
    EXPECT_EQ(dialogs.alerts.first().title, QStringLiteral("Import Failed"));
    EXPECT_TRUE(dialogs.alerts.first().message.contains(QStringLiteral("disk says no")));
    EXPECT_TRUE(context.records().isEmpty());
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(storedRows(), 0);

    refuse("DROP TRIGGER refuse");
    operations.chooseImportFile();
    EXPECT_EQ(dialogs.alerts.last().title, QStringLiteral("Imported 2 records"));
    EXPECT_EQ(context.records().size(), 2);
    EXPECT_EQ(storedRows(), 2);
}

TEST_F(CollectionOperationsTest, ExportWritesTheGivenRecordsUnderTheProposedName)
{
    const QList<Record *> records = { add(QStringLiteral("B")), add(QStringLiteral("A")) };
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    dialogs.chosenFile = path;
    bool closed = false;
    operations.chooseExportFile(records, [&closed] { closed = true; });
    EXPECT_TRUE(closed);
    EXPECT_EQ(dialogs.proposedName, QStringLiteral("Vorla Collection.csv"));
    EXPECT_TRUE(dialogs.alerts.isEmpty());
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()), CollectionCSV::exportRecords(records));

    dialogs.chosenFile = dir.filePath(QStringLiteral("no/such/folder/out.csv"));
    operations.chooseExportFile(records);
    ASSERT_EQ(dialogs.alerts.size(), 1);
    EXPECT_EQ(dialogs.alerts.first().title, QStringLiteral("Export Failed"));
    EXPECT_FALSE(dialogs.alerts.first().message.isEmpty());

    dialogs.chosenFile = std::nullopt;
    operations.chooseExportFile(records);
    EXPECT_EQ(dialogs.alerts.size(), 1);
}

TEST_F(CollectionOperationsTest, DeleteAsksFirstAndCancelKeepsTheRecords)
{
    Record *first = add(QStringLiteral("Harbor Lights"));
    Record *second = add(QStringLiteral("Glasshouse"));
    Record *other = add(QStringLiteral("Other"));
    context.save();
    model.setRecords(context.records());
    selection.setIds({ first->id(), second->id() });

    int closed = 0;
    operations.requestDelete({ first->id() }, [&closed] { ++closed; });
    operations.requestDelete({ first->id(), second->id() }, [&closed] { ++closed; });
    EXPECT_EQ(dialogs.confirmations,
        (QList<ScriptedDialogs::Shown> { { u"Delete “Harbor Lights”?"_s, u"This can't be undone."_s },
            { u"Delete 2 records?"_s, u"This can't be undone."_s } }));
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(context.records().size(), 3);
    EXPECT_TRUE(operations.pendingDelete().isEmpty());

    // A record that is not selected goes without touching the selection.
    dialogs.confirms = true;
    const QUuid otherId = other->id();
    operations.requestDelete({ otherId });
    EXPECT_EQ(context.record(otherId), nullptr);
    EXPECT_EQ(selection.ids(), (QSet<QUuid> { first->id(), second->id() }));
    operations.requestDelete({ first->id() });
    EXPECT_EQ(selection.ids(), QSet<QUuid> { second->id() });
    EXPECT_EQ(storedRows(), 1);
    EXPECT_TRUE(dialogs.alerts.isEmpty());
}

TEST_F(CollectionOperationsTest, FailedSaveAfterDeleteIsShown)
{
    Record *record = add(QStringLiteral("Harbor Lights"));
    context.save();
    refuse("CREATE TRIGGER refuse BEFORE DELETE ON records BEGIN SELECT RAISE(ABORT, 'disk says "
           "no'); END");
    dialogs.confirms = true;
    operations.requestDelete({ record->id() });
    ASSERT_EQ(dialogs.alerts.size(), 1);
    EXPECT_EQ(dialogs.alerts.first().title, QStringLiteral("Delete Failed"));
    EXPECT_TRUE(dialogs.alerts.first().message.contains(QStringLiteral("disk says no")));
    EXPECT_TRUE(context.records().isEmpty());
    EXPECT_EQ(storedRows(), 1);

    // The removal stays pending and goes through once the store takes it.
    refuse("DROP TRIGGER refuse");
    context.save();
    EXPECT_EQ(storedRows(), 0);
}

TEST_F(CollectionOperationsTest, FetchMissingQueuesOnlyRecordsThatNeedAndCanHaveMetadata)
{
    QList<QUuid> started;
    operations.setStartRefresh([&started](const QList<QUuid> &ids) { started = ids; });
    Record *complete = add(QStringLiteral("Complete"));
    complete->setBarcode(QStringLiteral("0724"));
    complete->setCover(test::encodedImage(40, 40));
    complete->setTracks(
        { Track { QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("Intro"), {} } });
    Record *anonymous = add(QStringLiteral("No identifiers"));

    operations.fetchMissingMetadata();
    EXPECT_TRUE(started.isEmpty());
    const ScriptedDialogs::Shown nothing { u"Nothing to Fetch"_s,
        u"Every record with a barcode or release ID already has artwork and a tracklist."_s };
    EXPECT_EQ(dialogs.alerts, QList<ScriptedDialogs::Shown> { nothing });

    Record *older = add(QStringLiteral("Older"));
    older->setDiscogsReleaseID(42);
    older->setDateAdded(QDateTime::currentDateTimeUtc().addDays(-3));
    Record *newer = add(QStringLiteral("Newer"));
    newer->setBarcode(QStringLiteral("5099 1234"));
    anonymous->setBarcode(QStringLiteral("n/a"));
    operations.fetchMissingMetadata();
    EXPECT_EQ(started, (QList<QUuid> { newer->id(), older->id() }));
    EXPECT_EQ(dialogs.alerts.size(), 1);
}
