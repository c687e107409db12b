#include "app/batch_matcher_fixture.h"

#include <QSignalSpy>

using namespace vorla;
using namespace vorla::test;
using Answer = ScriptedSources::Answer;
using Kind = BatchItem::Status::Kind;

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

QStringList lines(const QList<BatchItem> &items)
{
    QStringList result;
    for (const BatchItem &item : items)
        result.append(item.line);
    return result;
}

BatchItem doneItem(const char *line, BatchItem::Status status, bool include)
{
    BatchItem item;
    item.line = u8(line);
    item.query = ReleaseQuery::parse(item.line);
    item.status = status;
    item.include = include;
    return item;
}

BatchItem chosenItem(const ReleaseCandidate &chosen, bool include = true)
{
    BatchItem item = doneItem("typed", BatchItem::Status::matched(), include);
    item.candidates = { chosen };
    item.chosenID = chosen.id();
    return item;
}

} // namespace

// The queue.

TEST_F(BatchMatcherTest, EnqueueSplitsAtEveryLineBreakAndTrims)
{
    QSignalSpy itemsChanged(&matcher, &BatchMatcher::itemsChanged);
    matcher.enqueue(u8("Ana Lua - Low Harbour\rABC-1234\u2028  \tGulls\t \r\n\n\u0085Ferries"
                       "\u2029\x0b\x0cTides\n"));
    EXPECT_EQ(itemsChanged.count(), 1);
    EXPECT_EQ(lines(matcher.items()),
        (QStringList { u8("Ana Lua - Low Harbour"), u8("ABC-1234"), u8("Gulls"), u8("Ferries"),
            u8("Tides") }));
    for (const BatchItem &item : matcher.items()) {
        EXPECT_EQ(item.status, BatchItem::Status::pending());
        EXPECT_TRUE(item.include);
        EXPECT_FALSE(item.evidence);
        EXPECT_EQ(item.query, ReleaseQuery::parse(item.line));
    }
    EXPECT_TRUE(matcher.isRunning());
    ASSERT_TRUE(waitUntilIdle());
    // One at a time, in list order.
    EXPECT_EQ(typed.requests(),
        (QStringList { u8("q:Ana Lua Low Harbour"), u8("catno:ABC-1234"), u8("q:Gulls"),
            u8("q:Ferries"), u8("q:Tides") }));
    EXPECT_EQ(matcher.doneCount(), 5);
}

TEST_F(BatchMatcherTest, BlankTextStillStartsAWorkerThatEndsAtOnce)
{
    QSignalSpy running(&matcher, &BatchMatcher::isRunningChanged);
    matcher.enqueue(u8("\n \t\n\r\n"));
    EXPECT_TRUE(matcher.items().isEmpty());
    EXPECT_FALSE(matcher.hasWork());
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(running.count(), 2);
    EXPECT_EQ(workersStarted, 1);
}

TEST_F(BatchMatcherTest, SettersNotifyOnlyRealChanges)
{
    QSignalSpy location(&matcher, &BatchMatcher::locationChanged);
    QSignalSpy media(&matcher, &BatchMatcher::mediaConditionChanged);
    QSignalSpy sleeve(&matcher, &BatchMatcher::sleeveConditionChanged);
    QSignalSpy autoAdd(&matcher, &BatchMatcher::autoAddCertainPhotoMatchesChanged);
    matcher.setLocation(QString());
    matcher.setMediaCondition(Grading::notGraded);
    matcher.setSleeveCondition(Grading::notGraded);
    matcher.setAutoAddCertainPhotoMatches(true);
    EXPECT_EQ(location.count() + media.count() + sleeve.count() + autoAdd.count(), 0);
    matcher.setLocation(u8("Shelf B"));
    matcher.setLocation(u8("Shelf B"));
    matcher.setMediaCondition(Grading::nearMint);
    matcher.setSleeveCondition(Grading::veryGoodPlus);
    matcher.setAutoAddCertainPhotoMatches(false);
    EXPECT_EQ(location.count(), 1);
    EXPECT_EQ(media.count(), 1);
    EXPECT_EQ(sleeve.count(), 1);
    EXPECT_EQ(autoAdd.count(), 1);

    // Clearing resets the list and the counters, not the values for added records.
    matcher.setItems({ doneItem("x", BatchItem::Status::matched(), true) });
    matcher.clear();
    EXPECT_TRUE(matcher.items().isEmpty());
    EXPECT_EQ(matcher.photosAnalyzed(), 0);
    EXPECT_EQ(matcher.location(), u8("Shelf B"));
    EXPECT_EQ(matcher.mediaCondition(), Grading::nearMint);
    EXPECT_EQ(matcher.sleeveCondition(), Grading::veryGoodPlus);
    EXPECT_FALSE(matcher.autoAddCertainPhotoMatches());
}

TEST_F(BatchMatcherTest, UnknownIdsChangeNothing)
{
    matcher.setItems({ doneItem("x", BatchItem::Status::failed(u8("offline")), false) });
    QSignalSpy itemsChanged(&matcher, &BatchMatcher::itemsChanged);
    QSignalSpy itemChanged(&matcher, &BatchMatcher::itemChanged);
    const QUuid unknown = QUuid::createUuid();
    matcher.retry(unknown);
    matcher.remove({ unknown });
    matcher.undoAdd(unknown);
    matcher.setInclude(unknown, true);
    EXPECT_EQ(itemsChanged.count() + itemChanged.count(), 0);
    EXPECT_FALSE(matcher.isRunning());
    EXPECT_EQ(workersStarted, 0);
}

TEST_F(BatchMatcherTest, CountsAndWork)
{
    EXPECT_FALSE(matcher.hasWork());
    BatchItem added = doneItem("a", BatchItem::Status::matched(), false);
    added.addedRecordID = QUuid::createUuid();
    matcher.setItems({ added, doneItem("b", BatchItem::Status::pending(), true),
        doneItem("c", BatchItem::Status::searching(), true),
        doneItem("d", BatchItem::Status::notFound(), false) });
    EXPECT_EQ(matcher.doneCount(), 2);
    EXPECT_EQ(matcher.addedCount(), 1);
    EXPECT_TRUE(matcher.hasWork());
}

// Typed lines.

TEST_F(BatchMatcherTest, TypedLinesChooseAConfidentCandidate)
{
    const auto a = candidate(u8("1"), u8("Someone"), u8("Harbour"), u8("ZZZ-1"));
    const auto b = candidate(u8("2"), u8("Ana Lua"), u8("Low Harbour"), u8("abc 1234"));
    const auto c = candidate(u8("3"), u8("Other"), u8("Low Harbour"));
    const struct
    {
        const char *name;
        const char *line;
        const char *request;
        QList<ReleaseCandidate> results;
        Kind status;
        const char *chosen;
    } cases[] = {
        { "catalog number, not the first result", "ABC1234", "catno:ABC1234", { a, b },
            Kind::matched, "2" },
        { "free text, one result", "gulls ferries", "q:gulls ferries", { c }, Kind::matched, "3" },
        { "free text, two results", "gulls ferries", "q:gulls ferries", { a, c }, Kind::needsReview,
            "1" },
        { "artist and title", "ana lua - the low harbour", "q:ana lua the low harbour", { c, b },
            Kind::matched, "2" },
        { "title of another artist", "Nobody - Low Harbour", "q:Nobody Low Harbour", { c, b },
            Kind::needsReview, "3" },
    };
    for (const auto &cs : cases) {
        SCOPED_TRACE(cs.name);
        matcher.clear();
        typed.answer(u8(cs.request), Answer::found(cs.results));
        matcher.enqueue(u8(cs.line));
        ASSERT_TRUE(waitUntilIdle());
        ASSERT_EQ(matcher.items().size(), 1);
        EXPECT_EQ(at(0).status.kind, cs.status);
        EXPECT_EQ(at(0).candidates, cs.results);
        EXPECT_EQ(at(0).chosenID, u8("discogs:") + u8(cs.chosen));
        EXPECT_TRUE(at(0).include);
        EXPECT_FALSE(at(0).alreadyOwned);
    }
}

TEST_F(BatchMatcherTest, TitleWithoutArtistMatchesWhateverTheArtist)
{
    BatchItem item = doneItem("", BatchItem::Status::failed(u8("offline")), false);
    item.query = ReleaseQuery();
    item.query.title = u8("Low Harbour");
    matcher.setItems({ item });
    typed.answer(u8("q:Low Harbour"),
        Answer::found({ candidate(u8("1"), u8("A"), u8("Harbour")),
            candidate(u8("2"), u8("B"), u8("LOW HARBOUR")) }));
    matcher.retry(item.id);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(at(0).status.kind, Kind::matched);
    EXPECT_EQ(at(0).chosenID, u8("discogs:2"));
}

TEST_F(BatchMatcherTest, EachFieldOfAnAnswerIsItsOwnChange)
{
    typed.answer(u8("q:gulls"), Answer::found({ candidate(u8("1"), u8("A"), u8("Gulls")) }));
    matcher.enqueue(u8("gulls"));
    QSignalSpy itemChanged(&matcher, &BatchMatcher::itemChanged);
    ASSERT_TRUE(waitUntilIdle());
    // searching, candidates, choice, status, ownership, inclusion
    EXPECT_EQ(itemChanged.count(), 6);
}

TEST_F(BatchMatcherTest, TypedFailuresAndMissesAreExcluded)
{
    typed.answer(u8("q:broken"), Answer::failing(u8("The Discogs service is not available.")));
    matcher.enqueue(u8("broken\nmissing"));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(at(0).status, BatchItem::Status::failed(u8("The Discogs service is not available.")));
    EXPECT_FALSE(at(0).include);
    EXPECT_EQ(at(1).status, BatchItem::Status::notFound());
    EXPECT_FALSE(at(1).include);

    // A retry keeps the old results until the new search ends.
    typed.answer(u8("q:broken"), Answer::found({ candidate(u8("1"), u8("A"), u8("Broken")) }));
    matcher.retry(at(0).id);
    EXPECT_EQ(at(0).status, BatchItem::Status::pending());
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(at(0).status.kind, Kind::matched);
    EXPECT_TRUE(at(0).include);
}

TEST_F(BatchMatcherTest, OwnedReleasesAreShownAndExcluded)
{
    ModelContext &store = openStore();
    auto discogs = std::make_unique<Record>();
    discogs->setDiscogsReleaseID(12);
    store.insert(std::move(discogs));
    auto musicBrainz = std::make_unique<Record>();
    musicBrainz->setMusicBrainzID(u8("6f1c2b4e-0000-4000-8000-000000000001"));
    store.insert(std::move(musicBrainz));

    const auto mb = [](const char *id) {
        ReleaseCandidate c = candidate(u8(id), u8("A"), u8("B"));
        c.source = MetadataSource::musicBrainz;
        return c;
    };
    const struct
    {
        ReleaseCandidate chosen;
        bool owned;
    } cases[] = {
        { candidate(u8("12"), u8("A"), u8("B")), true },
        { candidate(u8("+12"), u8("A"), u8("B")), true },
        { candidate(u8("012"), u8("A"), u8("B")), true },
        { candidate(u8("12a"), u8("A"), u8("B")), false },
        { candidate(u8(""), u8("A"), u8("B")), false },
        { candidate(u8("13"), u8("A"), u8("B")), false },
        { mb("6f1c2b4e-0000-4000-8000-000000000001"), true },
        { mb("6F1C2B4E-0000-4000-8000-000000000001"), false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.chosen.id().toStdString());
        matcher.clear();
        typed.answer(u8("q:line"), Answer::found({ c.chosen }));
        matcher.enqueue(u8("line"));
        ASSERT_TRUE(waitUntilIdle());
        EXPECT_EQ(at(0).alreadyOwned, c.owned);
        EXPECT_EQ(at(0).include, !c.owned);
    }
}

// Photos.

TEST_F(BatchMatcherTest, PhotosAreAnalysedBeforeAnyItemIsSearched)
{
    QStringList journal;
    QObject::connect(&matcher, &BatchMatcher::photosAnalyzedChanged, &matcher,
        [&] { journal.append(u8("analysed")); });
    QObject::connect(&matcher, &BatchMatcher::itemChanged, &matcher, [&](const QUuid &id) {
        if (const BatchItem *item = matcher.item(id); item && item->status.kind == Kind::searching)
            journal.append(item->line);
    });
    analyzer.answer(u8("shelf.jpg"),
        { { evidence(PhotoEvidence::Kind::spine, { u8("Low Harbour") }) }, {}, false });
    matcher.enqueue(u8("first\nsecond"));
    matcher.enqueue({ photo("shelf.jpg") }, PhotoLayout::spines);
    EXPECT_EQ(matcher.pendingPhotos().size(), 1);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(journal,
        (QStringList { u8("analysed"), u8("first"), u8("second"),
            u8("shelf.jpg \u00B7 spine 1: Low Harbour") }));
    EXPECT_EQ(analyzer.layouts(), QList<PhotoLayout> { PhotoLayout::spines });
    EXPECT_EQ(matcher.photosAnalyzed(), 1);
    EXPECT_FALSE(matcher.analyzingPhoto());
    EXPECT_TRUE(matcher.pendingPhotos().isEmpty());
    EXPECT_EQ(workersStarted, 1);
}

TEST_F(BatchMatcherTest, PhotoRowsNameTheirKindAndPosition)
{
    using K = PhotoEvidence::Kind;
    const struct
    {
        const char *name;
        QList<PhotoEvidence> evidence;
        QStringList lines;
        QStringList queries;
    } cases[] = {
        { "one cover",
            { evidence(
                K::cover, { u8("Low Harbour"), u8("Ana Lua"), u8("Side A"), u8("ABC-1234") }) },
            { u8("p.jpg \u00B7 cover: Low Harbour Ana Lua Side A ABC-1234") },
            { u8("Low Harbour Ana Lua Side A") } },
        { "three spines",
            { evidence(K::spine, { u8("One") }), evidence(K::spine, { u8("Two") }),
                evidence(K::spine, { u8("Three") }) },
            { u8("p.jpg \u00B7 spine 1: One"), u8("p.jpg \u00B7 spine 2: Two"),
                u8("p.jpg \u00B7 spine 3: Three") },
            { u8("One"), u8("Two"), u8("Three") } },
        { "one spine", { evidence(K::spine, { u8("One") }) }, { u8("p.jpg \u00B7 spine 1: One") },
            { u8("One") } },
        { "covers and a spine",
            { evidence(K::cover, { u8("One") }), evidence(K::spine, { u8("Two") }) },
            { u8("p.jpg \u00B7 cover 1: One"), u8("p.jpg \u00B7 spine 2: Two") },
            { u8("One"), u8("Two") } },
        { "barcodes only", { evidence(K::cover, {}, { u8("5012345678901"), u8("4006381333931") }) },
            { u8("p.jpg \u00B7 cover: 5012345678901, 4006381333931") }, { u8("") } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        matcher.clear();
        analyzer.answer(u8("p.jpg"), { c.evidence, {}, false });
        QSignalSpy itemsChanged(&matcher, &BatchMatcher::itemsChanged);
        matcher.enqueue({ photo("p.jpg") }, PhotoLayout::automatic);
        ASSERT_TRUE(waitUntilIdle());
        EXPECT_EQ(itemsChanged.count(), c.evidence.size()); // one change per row
        EXPECT_EQ(lines(matcher.items()), c.lines);
        for (qsizetype i = 0; i < matcher.items().size(); ++i) {
            EXPECT_EQ(at(i).query.text, c.queries.value(i));
            ASSERT_TRUE(at(i).evidence);
            EXPECT_EQ(at(i).evidence->lines, c.evidence[i].lines);
            // Nothing was found for any of them.
            EXPECT_EQ(at(i).status, BatchItem::Status::notFound());
        }
    }
    // The photo path matched on the evidence, never on the row's query.
    for (const QString &request : photos.requests())
        EXPECT_FALSE(request.startsWith(u8("q:5012345678901")));
    EXPECT_TRUE(photos.requests().contains(u8("barcode:5012345678901")));
    EXPECT_TRUE(typed.requests().isEmpty());
}

TEST_F(BatchMatcherTest, UnreadablePhotosBecomeFailedRows)
{
    analyzer.answer(u8("broken.jpg"), { {}, u8("The file is not an image."), false });
    analyzer.answer(u8("blank.jpg"), { {}, {}, false });
    matcher.enqueue({ photo("broken.jpg"), photo("blank.jpg") }, PhotoLayout::covers);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(matcher.items().size(), 2);
    EXPECT_EQ(at(0).line, u8("broken.jpg"));
    EXPECT_EQ(at(0).status,
        BatchItem::Status::failed(u8("Couldn't open this photo: The file is not an image.")));
    EXPECT_EQ(at(1).line, u8("blank.jpg: no records found in this photo"));
    EXPECT_EQ(at(1).status,
        BatchItem::Status::failed(
            u8("No readable spines or covers. Try a closer, sharper, evenly lit photo.")));
    for (const BatchItem &item : matcher.items()) {
        EXPECT_FALSE(item.include);
        EXPECT_FALSE(item.evidence);
        EXPECT_EQ(item.query, ReleaseQuery());
    }
    EXPECT_EQ(matcher.photosAnalyzed(), 1); // the failed one does not count

    // Retrying a failed photo row asks nothing and finds nothing.
    matcher.retry(at(0).id);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(at(0).status, BatchItem::Status::notFound());
    EXPECT_TRUE(typed.requests().isEmpty());
    EXPECT_TRUE(photos.requests().isEmpty());
}

TEST_F(BatchMatcherTest, CertainPhotoMatchesAreAddedOrIncluded)
{
    const auto found = candidate(u8("77"), u8("Ana Lua"), u8("Low Harbour"), u8("ABC-1234"));
    const struct
    {
        const char *name;
        bool store;
        bool owned;
        bool autoAdd;
        bool certain;
        Kind status;
        bool include;
        bool added;
    } cases[] = {
        { "certain, added at once", true, false, true, true, Kind::matched, false, true },
        { "certain, adding is off", true, false, false, true, Kind::matched, true, false },
        { "certain, owned", true, true, true, true, Kind::matched, false, false },
        { "certain, no store", false, false, true, true, Kind::matched, true, false },
        { "uncertain", true, false, true, false, Kind::needsReview, false, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        matcher.clear();
        context.reset();
        matcher.setContext(nullptr);
        storeFile = QString::fromUtf8(c.name) + u8(".store");
        if (c.store) {
            openStore();
            if (c.owned) {
                auto record = std::make_unique<Record>();
                record->setDiscogsReleaseID(77);
                context->insert(std::move(record));
                context->save();
            }
        }
        matcher.setAutoAddCertainPhotoMatches(c.autoAdd);
        matcher.setLocation(u8("Crate 3"));
        matcher.setMediaCondition(Grading::veryGood);
        // Title and artist read make it certain; the title alone does not.
        const QStringList read = c.certain ? QStringList { u8("Low Harbour"), u8("Ana Lua") }
                                           : QStringList { u8("Low Harbour") };
        ReleaseQuery keywords;
        keywords.text = read.join(u' ').toLower();
        photos.answer(ScriptedSources::searchName(keywords), Answer::found({ found }));
        analyzer.answer(u8("p.jpg"), { { evidence(PhotoEvidence::Kind::spine, read) }, {}, false });
        const int runsBefore = refresherRuns;
        matcher.enqueue({ photo("p.jpg") }, PhotoLayout::spines);
        ASSERT_TRUE(waitUntilIdle());
        ASSERT_EQ(matcher.items().size(), 1);
        EXPECT_EQ(at(0).status.kind, c.status);
        EXPECT_EQ(at(0).include, c.include);
        EXPECT_EQ(at(0).alreadyOwned, c.owned);
        EXPECT_EQ(at(0).chosenID, found.id());
        EXPECT_EQ(at(0).isAdded(), c.added);
        EXPECT_EQ(matcher.addedCount(), c.added ? 1 : 0);
        if (c.added) {
            // In the file, made from the chosen candidate with the matcher's values.
            SQLite::Database db = peer();
            SQLite::Statement row(db,
                "SELECT id, title, location, mediaConditionRaw FROM records "
                "WHERE discogsReleaseID = 77");
            ASSERT_TRUE(row.executeStep());
            EXPECT_EQ(QUuid::fromString(QString::fromStdString(row.getColumn(0).getString())),
                *at(0).addedRecordID);
            EXPECT_EQ(row.getColumn(1).getString(), "Low Harbour");
            EXPECT_EQ(row.getColumn(2).getString(), "Crate 3");
            EXPECT_EQ(row.getColumn(3).getString(), "VG");
            // Its artwork and tracklist are fetched in the background.
            EXPECT_EQ(refresherRuns, runsBefore + 1);
        } else {
            EXPECT_EQ(refresherRuns, runsBefore);
        }
    }
}

TEST_F(BatchMatcherTest, FailedAutomaticAddLeavesTheItemIncludedWithTheReason)
{
    openStore();
    refuseTitle("Low Harbour");
    photos.answer(u8("q:low harbour ana lua"),
        Answer::found({ candidate(u8("77"), u8("Ana Lua"), u8("Low Harbour")) }));
    analyzer.answer(u8("p.jpg"),
        { { evidence(PhotoEvidence::Kind::spine, { u8("Low Harbour"), u8("Ana Lua") }) }, {},
            false });
    matcher.enqueue({ photo("p.jpg") }, PhotoLayout::spines);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(at(0).status.kind, Kind::failed);
    EXPECT_TRUE(at(0).status.reason.contains(u8("disk refused")));
    EXPECT_TRUE(at(0).include);
    EXPECT_FALSE(at(0).isAdded());
    EXPECT_TRUE(context->records().isEmpty());
    EXPECT_EQ(storedCount(), 0);
    EXPECT_EQ(refresherRuns, 0);
}

// Adding to the library.

TEST_F(BatchMatcherTest, AddIncludedStoresTheIncludedDoneItems)
{
    openStore();
    matcher.setLocation(u8("Shelf B"));
    matcher.setMediaCondition(Grading::nearMint);
    matcher.setSleeveCondition(Grading::veryGoodPlus);

    const BatchItem fromCandidate
        = chosenItem(candidate(u8("501"), u8("Ana Lua"), u8("Low Harbour")));
    BatchItem fromLine = doneItem("Gull Choir - Ferries", BatchItem::Status::notFound(), true);
    BatchItem fromPhoto
        = doneItem("p.jpg \u00B7 cover: Eastward EWR-4412", BatchItem::Status::needsReview(), true);
    fromPhoto.query = ReleaseQuery();
    fromPhoto.query.text = u8("Eastward EWR-4412");
    fromPhoto.evidence = evidence(
        PhotoEvidence::Kind::cover, { u8("Eastward"), u8("EWR-4412") }, { u8("5012345678901") });
    const BatchItem excluded = chosenItem(candidate(u8("502"), u8("X"), u8("Y")), false);
    const BatchItem pending = doneItem("pending", BatchItem::Status::pending(), true);
    const BatchItem searching = doneItem("searching", BatchItem::Status::searching(), true);
    BatchItem added = chosenItem(candidate(u8("503"), u8("X"), u8("Z")), false);
    added.addedRecordID = QUuid::createUuid();
    added.include = true; // automatically added items are never added twice
    matcher.setItems({ fromCandidate, excluded, fromLine, pending, fromPhoto, searching, added });

    QSignalSpy itemsChanged(&matcher, &BatchMatcher::itemsChanged);
    EXPECT_EQ(matcher.addIncluded(), 3);
    EXPECT_EQ(itemsChanged.count(), 1);
    EXPECT_EQ(lines(matcher.items()),
        (QStringList { u8("typed"), u8("pending"), u8("searching"), u8("typed") }));

    // Seen through a second connection to the file.
    ModelContext reopened(storePath());
    ASSERT_EQ(reopened.records().size(), 3);
    const Record *first = reopened.records()[0];
    EXPECT_EQ(first->title(), u8("Low Harbour"));
    EXPECT_EQ(first->discogsReleaseID(), 501);
    const Record *second = reopened.records()[1];
    EXPECT_EQ(second->artist(), u8("Gull Choir"));
    EXPECT_EQ(second->title(), u8("Ferries"));
    EXPECT_EQ(second->format(), u8("Vinyl"));
    const Record *third = reopened.records()[2];
    EXPECT_EQ(third->title(), u8("Eastward EWR-4412"));
    EXPECT_EQ(third->catalogNumber(), u8("EWR-4412"));
    EXPECT_EQ(third->barcode(), u8("5012345678901"));
    for (const Record *record : reopened.records()) {
        EXPECT_EQ(record->location(), u8("Shelf B"));
        EXPECT_EQ(record->mediaCondition(), Grading::nearMint);
        EXPECT_EQ(record->sleeveCondition(), Grading::veryGoodPlus);
    }
    // Only the record with a release id goes to the refresher.
    EXPECT_EQ(refresherRuns, 1);
    EXPECT_EQ(refresher.total(), 1);
}

TEST_F(BatchMatcherTest, AddIncludedWithNothingSelectedOrNoStoreAddsNothing)
{
    matcher.setItems({ chosenItem(candidate(u8("1"), u8("A"), u8("B"))) });
    QSignalSpy itemsChanged(&matcher, &BatchMatcher::itemsChanged);
    EXPECT_EQ(matcher.addIncluded(), 0); // no store yet: the item waits for one
    EXPECT_EQ(matcher.items().size(), 1);
    openStore();
    matcher.setInclude(at(0).id, false);
    EXPECT_EQ(matcher.addIncluded(), 0);
    EXPECT_EQ(matcher.items().size(), 1);
    EXPECT_EQ(itemsChanged.count(), 0);
    EXPECT_EQ(storedCount(), 0);
}

TEST_F(BatchMatcherTest, AddIncludedKeepsItemsWhoseRecordWasNotStored)
{
    openStore();
    refuseTitle("boom");
    matcher.setItems({ chosenItem(candidate(u8("1"), u8("A"), u8("boom"))),
        chosenItem(candidate(u8("2"), u8("A"), u8("fine"))) });
    EXPECT_EQ(matcher.addIncluded(), 1);
    ASSERT_EQ(matcher.items().size(), 1);
    EXPECT_EQ(at(0).chosenID, u8("discogs:1"));
    EXPECT_EQ(at(0).status.kind, Kind::failed);
    EXPECT_TRUE(at(0).status.reason.contains(u8("disk refused")));
    EXPECT_TRUE(at(0).include);
    EXPECT_EQ(storedCount(), 1);
    ASSERT_EQ(context->records().size(), 1);
    EXPECT_EQ(context->records()[0]->title(), u8("fine"));

    // Once the store accepts it, adding again stores it.
    peer().exec("DROP TRIGGER refuse");
    EXPECT_EQ(matcher.addIncluded(), 1);
    EXPECT_TRUE(matcher.items().isEmpty());
    EXPECT_EQ(storedCount(), 2);
}

TEST_F(BatchMatcherTest, UndoAddDeletesTheRecordAndSendsTheItemToReview)
{
    openStore();
    auto record = std::make_unique<Record>();
    const QUuid recordID = record->id();
    context->insert(std::move(record));
    context->save();
    BatchItem added = chosenItem(candidate(u8("1"), u8("A"), u8("B")), false);
    added.addedRecordID = recordID;
    added.alreadyOwned = false;
    BatchItem alreadyDeleted = chosenItem(candidate(u8("2"), u8("A"), u8("C")), false);
    alreadyDeleted.addedRecordID = QUuid::createUuid();
    const BatchItem notAdded = chosenItem(candidate(u8("3"), u8("A"), u8("D")));
    matcher.setItems({ added, alreadyDeleted, notAdded });

    QSignalSpy itemChanged(&matcher, &BatchMatcher::itemChanged);
    matcher.undoAdd(added.id);
    EXPECT_EQ(itemChanged.count(), 3);
    EXPECT_EQ(storedCount(), 0);
    EXPECT_FALSE(context->record(recordID));
    matcher.undoAdd(alreadyDeleted.id);
    for (qsizetype i : { 0, 1 }) {
        EXPECT_FALSE(at(i).isAdded());
        EXPECT_FALSE(at(i).include);
        EXPECT_EQ(at(i).status, BatchItem::Status::needsReview());
        EXPECT_EQ(at(i).candidates.size(), 1);
        EXPECT_TRUE(at(i).chosenID);
    }
    itemChanged.clear();
    matcher.undoAdd(notAdded.id);
    EXPECT_EQ(itemChanged.count(), 0);
    EXPECT_TRUE(at(2).include);

    // Without a store nothing is undone.
    BatchItem again = chosenItem(candidate(u8("4"), u8("A"), u8("E")), false);
    again.addedRecordID = QUuid::createUuid();
    matcher.setItems({ again });
    matcher.setContext(nullptr);
    matcher.undoAdd(again.id);
    EXPECT_TRUE(at(0).isAdded());
}

// Work interleaved with the user's edits.

TEST_F(BatchMatcherTest, RemovingAnItemWhileItIsSearchedDropsTheAnswer)
{
    typed.answer(
        u8("q:first"), Answer::found({ candidate(u8("1"), u8("A"), u8("First")) }).waiting());
    matcher.enqueue(u8("first\nsecond"));
    ASSERT_TRUE(typed.waitUntilWaiting(1));
    const QUuid first = at(0).id;
    const QUuid second = at(1).id;
    QSignalSpy itemChanged(&matcher, &BatchMatcher::itemChanged);
    matcher.remove({ first });
    typed.release();
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(matcher.items().size(), 1);
    EXPECT_EQ(at(0).id, second);
    EXPECT_EQ(at(0).status, BatchItem::Status::notFound());
    for (const QList<QVariant> &arguments : itemChanged)
        EXPECT_EQ(arguments.at(0).toUuid(), second);
}

TEST_F(BatchMatcherTest, RetryDuringASearchIsNotOverwrittenByItsLateAnswer)
{
    typed.answer(
        u8("q:line"), Answer::found({ candidate(u8("old"), u8("A"), u8("Old")) }).waiting());
    matcher.enqueue(u8("line"));
    ASSERT_TRUE(typed.waitUntilWaiting(1));
    matcher.retry(at(0).id);
    EXPECT_EQ(at(0).status, BatchItem::Status::pending());
    typed.answer(u8("q:line"), Answer::found({ candidate(u8("new"), u8("A"), u8("New")) }));
    typed.release();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(typed.requests().size(), 2);
    EXPECT_EQ(at(0).chosenID, u8("discogs:new"));
    EXPECT_EQ(at(0).status.kind, Kind::matched);
    EXPECT_EQ(workersStarted, 1);
}

TEST_F(BatchMatcherTest, ClearingWhileAPhotoIsAnalysedDropsItsRows)
{
    analyzer.answer(
        u8("slow.jpg"), { { evidence(PhotoEvidence::Kind::spine, { u8("One") }) }, {}, true });
    matcher.enqueue({ photo("slow.jpg"), photo("later.jpg") }, PhotoLayout::automatic);
    ASSERT_TRUE(analyzer.waitUntilWaiting());
    EXPECT_EQ(matcher.analyzingPhoto(), u8("slow.jpg"));
    EXPECT_TRUE(matcher.hasWork());
    matcher.clear();
    EXPECT_FALSE(matcher.isRunning());
    EXPECT_FALSE(matcher.analyzingPhoto());
    EXPECT_TRUE(matcher.pendingPhotos().isEmpty());
    EXPECT_FALSE(matcher.hasWork());
    analyzer.release();
    QTest::qWait(50);
    EXPECT_TRUE(matcher.items().isEmpty());
    EXPECT_EQ(matcher.photosAnalyzed(), 0);
    EXPECT_EQ(analyzer.analysed(), QStringList { u8("slow.jpg") });
}

TEST_F(BatchMatcherTest, ANewWorkerAfterClearRunsAloneAndTheOldOneSendsNothingMore)
{
    // Four searches would follow; the first is cut short by the clear.
    photos.answer(u8("catno:ABC-1234"), Answer().waiting());
    analyzer.answer(u8("p.jpg"),
        { { evidence(
              PhotoEvidence::Kind::spine, { u8("Low Harbour"), u8("Ana Lua"), u8("ABC-1234") }) },
            {}, false });
    matcher.enqueue({ photo("p.jpg") }, PhotoLayout::automatic);
    ASSERT_TRUE(photos.waitUntilWaiting(1));
    matcher.clear();
    typed.answer(u8("q:next"), Answer::found({ candidate(u8("9"), u8("A"), u8("Next")) }));
    QSignalSpy running(&matcher, &BatchMatcher::isRunningChanged);
    matcher.enqueue(u8("next"));
    EXPECT_EQ(workersStarted, 2);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(running.count(), 2); // started once, ended once
    ASSERT_EQ(matcher.items().size(), 1);
    EXPECT_EQ(at(0).status.kind, Kind::matched);
    QTest::qWait(50);
    EXPECT_EQ(photos.requests(), QStringList { u8("catno:ABC-1234") });
    EXPECT_EQ(matcher.items().size(), 1);
}

TEST_F(BatchMatcherTest, DestroyingTheMatcherEndsItsWorker)
{
    ScriptedSources search;
    search.answer(u8("q:line"), Answer().waiting());
    BatchMatcher::Backend backend;
    backend.analyze = analyzer.analyze();
    backend.lookups = [&search] { return BatchMatcher::Lookups { search.sources().search, {} }; };
    auto doomed = std::make_unique<BatchMatcher>(backend);
    doomed->enqueue(u8("line"));
    ASSERT_TRUE(search.waitUntilWaiting(1));
    doomed.reset(); // returns once the cancelled search has ended
    QTest::qWait(20);
    EXPECT_EQ(search.requests(), QStringList { u8("q:line") });
}
