// The library store, checked through a second connection to the same file.
#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"
#include "models/store.h"
#include "small_file_system.h"
#include "test_images.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

class StoreTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Vorla.store")); }

    SQLite::Database peer() const
    {
        return SQLite::Database(path().toStdString(), SQLite::OPEN_READWRITE);
    }
    int64_t count(const char *sql) const { return peer().execAndGet(sql).getInt64(); }

    QByteArray fileHash(const QString &file) const
    {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }

    std::unique_ptr<Record> fullRecord()
    {
        auto record = std::make_unique<Record>();
        record->setTitle(QStringLiteral("Kind of Blue \u00e9\"'"));
        record->setArtist(QStringLiteral("Miles Davis"));
        record->setYear(1959);
        record->setLabel(QStringLiteral("Columbia"));
        record->setCatalogNumber(QStringLiteral("CL 1355"));
        record->setFormat(QStringLiteral("Vinyl, LP, Mono"));
        record->setCountry(QStringLiteral("US"));
        record->setGenres({QStringLiteral("Jazz"), QStringLiteral("with \"quote\"")});
        record->setStyles({QStringLiteral("Modal")});
        record->setBarcode(QStringLiteral("074646935915"));
        record->setTracks({Track{QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("So What"),
                                 QStringLiteral("9:22")}});
        record->setMediaCondition(Grading::veryGoodPlus);
        record->setSleeveCondition(Grading::good);
        record->setNotes(QStringLiteral("line one\nline two"));
        record->setLocation(QStringLiteral("Shelf 3"));
        record->setPurchasePrice(24.99);
        record->setPurchaseDate(QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC));
        record->setRating(5);
        record->setIsFavorite(true);
        record->setDateAdded(QDateTime::fromMSecsSinceEpoch(1710000000456, Qt::UTC));
        record->setCover(test::encodedImage(1600, 1600, "JPEG"));
        record->setDiscogsReleaseID(1234567);
        record->setMusicBrainzID(QStringLiteral("0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b"));
        record->setSourceURL(QStringLiteral("https://www.discogs.com/release/1234567"));
        return record;
    }
};

} // namespace

TEST_F(StoreTest, InsertThenReopenKeepsEveryField)
{
    QUuid id;
    QByteArray cover, thumbnail, tracklist;
    {
        ModelContext context(path());
        Record *record = context.insert(fullRecord());
        id = record->id();
        cover = *record->coverImageData();
        thumbnail = *record->thumbnailData();
        tracklist = *record->tracklistData();
        context.insert(std::make_unique<Record>());
        context.save();
    }
    EXPECT_EQ(count("SELECT count(*) FROM records"), 2);
    EXPECT_EQ(count("PRAGMA user_version"), Store::kSchemaVersion);
    EXPECT_EQ(peer().execAndGet("PRAGMA journal_mode").getString(), "wal");

    ModelContext reopened(path());
    ASSERT_EQ(reopened.records().size(), 2);
    const Record *r = reopened.record(id);
    ASSERT_TRUE(r);
    EXPECT_EQ(reopened.records().front(), r);
    EXPECT_EQ(r->title(), QStringLiteral("Kind of Blue \u00e9\"'"));
    EXPECT_EQ(r->artist(), QStringLiteral("Miles Davis"));
    EXPECT_EQ(r->year(), 1959);
    EXPECT_EQ(r->label(), QStringLiteral("Columbia"));
    EXPECT_EQ(r->catalogNumber(), QStringLiteral("CL 1355"));
    EXPECT_EQ(r->format(), QStringLiteral("Vinyl, LP, Mono"));
    EXPECT_EQ(r->country(), QStringLiteral("US"));
    EXPECT_EQ(r->genres(), (QStringList{QStringLiteral("Jazz"), QStringLiteral("with \"quote\"")}));
    EXPECT_EQ(r->styles(), QStringList{QStringLiteral("Modal")});
    EXPECT_EQ(r->barcode(), QStringLiteral("074646935915"));
    EXPECT_EQ(r->tracklistData(), tracklist);
    EXPECT_EQ(r->mediaConditionRaw(), QStringLiteral("VG+"));
    EXPECT_EQ(r->sleeveConditionRaw(), QStringLiteral("G"));
    EXPECT_EQ(r->notes(), QStringLiteral("line one\nline two"));
    EXPECT_EQ(r->location(), QStringLiteral("Shelf 3"));
    EXPECT_EQ(r->purchasePrice(), 24.99);
    EXPECT_EQ(r->purchaseDate(), QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC));
    EXPECT_EQ(r->rating(), 5);
    EXPECT_TRUE(r->isFavorite());
    EXPECT_EQ(r->dateAdded(), QDateTime::fromMSecsSinceEpoch(1710000000456, Qt::UTC));
    EXPECT_EQ(r->coverImageData(), cover);
    EXPECT_EQ(r->thumbnailData(), thumbnail);
    EXPECT_EQ(r->coverRevision(), 1);
    EXPECT_EQ(r->discogsReleaseID(), 1234567);
    EXPECT_EQ(r->musicBrainzID(), QStringLiteral("0b3a6f4e-4c7b-4bd0-9f6a-1c2d3e4f5a6b"));
    EXPECT_EQ(r->sourceURL(), QStringLiteral("https://www.discogs.com/release/1234567"));

    const Record *empty = reopened.records().back();
    EXPECT_EQ(empty->year(), std::nullopt);
    EXPECT_EQ(empty->tracklistData(), std::nullopt);
    EXPECT_EQ(empty->purchasePrice(), std::nullopt);
    EXPECT_EQ(empty->musicBrainzID(), std::nullopt);
    EXPECT_FALSE(empty->hasCoverImageData());
}

TEST_F(StoreTest, SchemaHasTheStoredPropertiesInOrderWithDefaults)
{
    { ModelContext context(path()); }
    SQLite::Database db = peer();
    SQLite::Statement columns(db, "SELECT name FROM pragma_table_info('records') ORDER BY cid");
    QStringList names;
    while (columns.executeStep())
        names.append(QString::fromStdString(columns.getColumn(0).getString()));
    EXPECT_EQ(names.size(), 27);
    EXPECT_EQ(names.front(), QStringLiteral("id"));
    EXPECT_EQ(names.at(11), QStringLiteral("tracklistData"));
    EXPECT_EQ(names.back(), QStringLiteral("sourceURL"));
    // A row made from the schema defaults alone loads like a new record.
    db.exec("INSERT INTO records DEFAULT VALUES");
    ModelContext context(path());
    ASSERT_EQ(context.records().size(), 1);
    const Record *r = context.records().front();
    EXPECT_FALSE(r->id().isNull());
    EXPECT_TRUE(r->title().isEmpty());
    EXPECT_TRUE(r->genres().isEmpty());
    EXPECT_EQ(r->rating(), 0);
    EXPECT_LT(r->dateAdded().secsTo(QDateTime::currentDateTimeUtc()), 60);
}

TEST_F(StoreTest, EditsRemovalsAndCoversAreSaved)
{
    QUuid kept, gone;
    {
        ModelContext context(path());
        kept = context.insert(fullRecord())->id();
        gone = context.insert(fullRecord())->id();
        context.save();
        context.record(kept)->setTitle(QStringLiteral("Edited"));
        context.record(kept)->setCover(std::nullopt);
        context.remove(gone);
        context.save();
    }
    EXPECT_EQ(count("SELECT count(*) FROM records"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM record_images"), 0);
    ModelContext reopened(path());
    ASSERT_EQ(reopened.records().size(), 1);
    EXPECT_EQ(reopened.record(kept)->title(), QStringLiteral("Edited"));
    EXPECT_FALSE(reopened.record(kept)->hasCoverImageData());
    EXPECT_EQ(reopened.record(kept)->coverRevision(), 2);
    EXPECT_EQ(reopened.record(gone), nullptr);
}

TEST_F(StoreTest, FailedSaveLeavesFileAsItWasAndKeepsChanges)
{
    ModelContext context(path());
    Record *first = context.insert(fullRecord());
    context.save();
    // The second of two new records makes the store refuse the write part-way through.
    peer().exec("CREATE TRIGGER refuse BEFORE INSERT ON records WHEN NEW.title = 'boom' "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    first->setTitle(QStringLiteral("Changed"));
    context.insert(std::make_unique<Record>())->setTitle(QStringLiteral("fine"));
    context.insert(std::make_unique<Record>())->setTitle(QStringLiteral("boom"));
    EXPECT_THROW(context.save(), StoreError);
    EXPECT_TRUE(context.hasChanges());
    EXPECT_EQ(count("SELECT count(*) FROM records"), 1);
    EXPECT_EQ(peer().execAndGet("SELECT title FROM records").getString(), "Kind of Blue \u00e9\"'");

    peer().exec("DROP TRIGGER refuse");
    context.save();
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(count("SELECT count(*) FROM records"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM records WHERE title = 'Changed'"), 1);
}

TEST_F(StoreTest, OpeningLoadsNoImageBytes)
{
    QUuid id;
    {
        ModelContext context(path());
        id = context.insert(fullRecord())->id();
        context.save();
    }
    ModelContext reopened(path());
    const Record *r = reopened.record(id);
    EXPECT_TRUE(r->hasCoverImageData());
    EXPECT_TRUE(r->hasThumbnailData());
    // The bytes were never read at open: once gone from the file, they are gone for us too.
    peer().exec("DELETE FROM record_images WHERE kind = 0");
    EXPECT_EQ(r->coverImageData(), std::nullopt);
    EXPECT_TRUE(r->thumbnailData());
}

TEST_F(StoreTest, RefusesNewerSchemaWithoutTouchingTheFile)
{
    {
        SQLite::Database db(path().toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("CREATE TABLE records (id TEXT); PRAGMA user_version = 7");
    }
    const QByteArray before = fileHash(path());
    try {
        ModelContext context(path());
        FAIL() << "opened a newer store";
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("newer version of Vorla")))
            << error.what();
    }
    EXPECT_EQ(fileHash(path()), before);
    EXPECT_FALSE(QFile::exists(path() + QStringLiteral("-wal")));
}

TEST_F(StoreTest, RefusesDamagedForeignAndFolderPaths)
{
    const QString garbage = dir.filePath(QStringLiteral("garbage.store"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    const QString foreign = dir.filePath(QStringLiteral("foreign.store"));
    {
        SQLite::Database db(foreign.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("CREATE TABLE notes (text TEXT)");
    }
    const QString folder = dir.filePath(QStringLiteral("folder.store"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/Vorla.store"));

    const struct { QString path; const char *expected; } cases[] = {
        {garbage, "damaged"},
        {foreign, "not a Vorla library"},
        {folder, "is a folder"},
        {missing, "cannot be opened"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const bool existed = QFileInfo::exists(c.path);
        const QByteArray before = QFileInfo(c.path).isFile() ? fileHash(c.path) : QByteArray();
        try {
            ModelContext context(c.path);
            ADD_FAILURE() << "opened";
        } catch (const StoreError &error) {
            EXPECT_TRUE(error.message().contains(QLatin1String(c.expected))) << error.what();
            EXPECT_TRUE(error.message().contains(c.path)) << error.what();
        }
        EXPECT_EQ(QFileInfo::exists(c.path), existed);
        if (QFileInfo(c.path).isFile()) {
            EXPECT_EQ(fileHash(c.path), before);
        }
    }
}

TEST_F(StoreTest, EditsReachTheFileByAutosaveQuitAndClose)
{
    ModelContext context(path());
    Record *record = context.insert(std::make_unique<Record>());
    context.save();

    record->setNotes(QStringLiteral("timer"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return count("SELECT count(*) FROM records WHERE notes = 'timer'") == 1; },
                                ModelContext::kAutosaveDelayMs * 5));

    record->setNotes(QStringLiteral("quit"));
    ASSERT_TRUE(QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit",
                                          Qt::DirectConnection));
    EXPECT_EQ(count("SELECT count(*) FROM records WHERE notes = 'quit'"), 1);
    EXPECT_FALSE(context.hasChanges());
}

TEST_F(StoreTest, ClosingSavesPendingChanges)
{
    {
        ModelContext context(path());
        context.insert(std::make_unique<Record>())->setTitle(QStringLiteral("unsaved"));
    }
    EXPECT_EQ(count("SELECT count(*) FROM records WHERE title = 'unsaved'"), 1);
}

TEST_F(StoreTest, TracklistStaysInTheFileUntilRead)
{
    QUuid id;
    QByteArray tracklist;
    {
        ModelContext context(path());
        Record *record = context.insert(fullRecord());
        id = record->id();
        tracklist = *record->tracklistData();
        context.save();
    }
    {
        ModelContext reopened(path());
        Record *record = reopened.record(id);
        EXPECT_TRUE(record->hasTracklistData());
        // Saving another edit keeps the tracklist it never read.
        record->setNotes(QStringLiteral("edited"));
        reopened.save();
        EXPECT_EQ(record->tracklistData(), tracklist);
        EXPECT_EQ(record->tracks().size(), 1);
    }
    EXPECT_EQ(count("SELECT count(*) FROM records WHERE tracklistData IS NOT NULL AND notes = 'edited'"), 1);
}

// Every save of a record loaded from the file reads its tracklist; a read left open kept
// the log from ever being checkpointed and locked out this connection's writes once another
// one had written.
TEST_F(StoreTest, SavesOfALoadedRecordCloseTheirReads)
{
    QUuid id;
    {
        ModelContext context(path());
        id = context.insert(std::make_unique<Record>())->id();
        context.save();
    }
    ModelContext context(path());
    Record *record = context.record(id);
    ASSERT_TRUE(record);
    for (int i = 0; i < 2000; ++i) {
        record->setNotes(QString(10000, QChar(u'a' + i % 26)) + QString::number(i));
        context.save();
    }
    EXPECT_LT(QFileInfo(path() + QStringLiteral("-wal")).size(), 8'000'000);

    peer().exec("INSERT INTO records (title) VALUES ('from another connection')");
    record->setNotes(QStringLiteral("after the other write"));
    EXPECT_NO_THROW(context.save());
    EXPECT_EQ(count("SELECT count(*) FROM records WHERE notes = 'after the other write'"), 1);
    // Images and tracklists are read through the same statements.
    EXPECT_EQ(record->coverImageData(), std::nullopt);
    record->setTitle(QStringLiteral("again"));
    EXPECT_NO_THROW(context.save());
}

TEST_F(StoreTest, ANewLibraryIsPrivateToItsOwner)
{
    ModelContext context(path());
    context.insert(std::make_unique<Record>())->setNotes(QStringLiteral("paid too much"));
    context.save();
    for (const QString &file : {path(), path() + QStringLiteral("-wal")}) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(QFileInfo(file).permissions(),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                | QFileDevice::WriteUser);
    }
}

TEST_F(StoreTest, AFullDiskIsNamedAndLosesNoEdit)
{
    test::SmallFileSystem disk("256k");
    if (!disk.valid())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const QString file = disk.filePath(QStringLiteral("Vorla.store"));
    ModelContext context(file);
    Record *record = context.insert(std::make_unique<Record>());
    record->setTitle(QStringLiteral("kept"));
    context.save();
    disk.fill();
    record->setNotes(QString(300000, u'n'));
    try {
        context.save();
        FAIL() << "saved onto a full disk";
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("No space left on device")))
            << error.what();
    }
    EXPECT_EQ(context.saveError().contains(QStringLiteral("No space left on device")), true);
    EXPECT_TRUE(context.hasChanges());

    // Space again: the edit that failed is written by the next save.
    QFile::remove(disk.filePath(QStringLiteral("filler")));
    record->setNotes(QStringLiteral("short"));
    EXPECT_NO_THROW(context.save());
    EXPECT_TRUE(context.saveError().isEmpty());
    EXPECT_EQ(SQLite::Database(file.toStdString(), SQLite::OPEN_READONLY)
                  .execAndGet("SELECT notes FROM records WHERE title = 'kept'")
                  .getString(),
        "short");
}

TEST_F(StoreTest, ALibraryThatCannotBeOpenedForADiskReasonIsNotCalledDamaged)
{
    test::SmallFileSystem disk("64k");
    if (!disk.valid())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    disk.fill();
    try {
        ModelContext context(disk.filePath(QStringLiteral("Vorla.store")));
        FAIL() << "created a library on a full disk";
    } catch (const StoreError &error) {
        EXPECT_FALSE(error.message().contains(QStringLiteral("damaged"))) << error.what();
        EXPECT_TRUE(error.message().contains(QStringLiteral("No space left on device")))
            << error.what();
    }
}

TEST_F(StoreTest, AReadOnlyLibraryOpensAndRefusesToSave)
{
    test::SmallFileSystem disk("1m");
    if (!disk.valid())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const QString file = disk.filePath(QStringLiteral("Vorla.store"));
    QUuid id;
    {
        ModelContext context(file);
        Record *record = context.insert(std::make_unique<Record>());
        record->setTitle(QStringLiteral("on a read-only disk"));
        record->setTracks({Track{QUuid::createUuid(), QStringLiteral("A1"),
            QStringLiteral("Side"), QStringLiteral("1:00")}});
        id = record->id();
    }
    ASSERT_TRUE(disk.makeReadOnly());
    ModelContext context(file);
    EXPECT_TRUE(context.isReadOnly());
    Record *record = context.record(id);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title(), QStringLiteral("on a read-only disk"));
    EXPECT_EQ(record->tracks().size(), 1);
    record->setTitle(QStringLiteral("changed"));
    try {
        context.save();
        FAIL() << "saved a read-only library";
    } catch (const StoreError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("This library is read-only: changes can't be saved."));
    }
    EXPECT_TRUE(context.hasChanges());
    context.discardChanges();
}

TEST_F(StoreTest, ALargeDeletionIsListedAtOnceAndPurgedAfterwards)
{
    QList<QUuid> ids;
    ModelContext context(path());
    for (int i = 0; i < 100; ++i) {
        Record *record = context.insert(std::make_unique<Record>());
        record->setTitle(QStringLiteral("R%1").arg(i));
        record->setCover(test::encodedImage(64, 64, "JPEG"));
        ids.append(record->id());
    }
    context.save();
    const QList<QUuid> gone = ids.mid(0, 80);
    context.remove(gone);
    context.save();
    // Saved as gone in one small write: every other connection already loads without them.
    EXPECT_EQ(count("SELECT count(*) FROM removed_records"), 80);
    {
        ModelContext other(path());
        EXPECT_EQ(other.records().size(), 20);
        EXPECT_EQ(other.record(gone.first()), nullptr);
        ASSERT_TRUE(other.record(ids.last()));
        EXPECT_TRUE(other.record(ids.last())->coverImageData());
    }
    // Then the rows and their images leave the file while the window goes on.
    ASSERT_TRUE(QTest::qWaitFor([this] { return count("SELECT count(*) FROM records") == 20; }, 10000));
    EXPECT_EQ(count("SELECT count(*) FROM removed_records"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM record_images"), 40);
    EXPECT_EQ(context.records().size(), 20);
}

TEST_F(StoreTest, ListedRowsStayOutOfLoadsUntilAStartFinishesPurgingThem)
{
    {
        ModelContext context(path());
        for (int i = 0; i < 70; ++i)
            context.insert(std::make_unique<Record>())->setTitle(QStringLiteral("R%1").arg(i));
        context.save();
        QList<QUuid> all;
        for (const Record *record : context.records())
            all.append(record->id());
        context.remove(all);
        context.save();
        // As if the window were closed before any purge ran: the list survives in the file.
        peer().exec("CREATE TRIGGER hold BEFORE DELETE ON records BEGIN SELECT RAISE(ABORT, 'held'); END");
    }
    EXPECT_EQ(count("SELECT count(*) FROM records"), 70);
    EXPECT_EQ(count("SELECT count(*) FROM removed_records"), 70);
    peer().exec("DROP TRIGGER hold");
    ModelContext reopened(path());
    EXPECT_TRUE(reopened.records().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([this] { return count("SELECT count(*) FROM records") == 0; }, 10000));
    EXPECT_EQ(count("SELECT count(*) FROM removed_records"), 0);
}

TEST_F(StoreTest, ALibraryOfTheFirstFormatIsMigratedKeepingEveryRecord)
{
    QUuid id;
    {
        ModelContext context(path());
        Record *record = context.insert(std::make_unique<Record>());
        record->setTitle(QStringLiteral("Before the list of removed rows"));
        record->setCover(test::encodedImage(64, 64, "JPEG"));
        id = record->id();
    }
    {
        SQLite::Database db = peer();
        db.exec("DROP TABLE removed_records; PRAGMA user_version = 1");
    }
    ModelContext context(path());
    EXPECT_EQ(count("PRAGMA user_version"), Store::kSchemaVersion);
    EXPECT_EQ(count("SELECT count(*) FROM removed_records"), 0);
    ASSERT_TRUE(context.record(id));
    EXPECT_EQ(context.record(id)->title(), QStringLiteral("Before the list of removed rows"));
    EXPECT_TRUE(context.record(id)->coverImageData());
    context.remove(id);
    context.save();
    EXPECT_EQ(count("SELECT count(*) FROM records"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM record_images"), 0);
}
