#include "app/batch_matcher.h"

#include "app/metadata_refresher.h"
#include "app/run_task.h"
#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"
#include "scanner/photo_matcher.h"
#include "core/number_text.h"
#include "core/line_break.h"
#include "core/text_util.h"

#include <QMetaObject>
#include <algorithm>

#include <exception>
#include <memory>

namespace vorla {

namespace {

QString errorDescription(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Error &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return BatchMatcher::tr("An unknown error occurred.");
    }
}

// The first result a typed line identifies beyond doubt, if any.
std::optional<ReleaseCandidate> confidentCandidate(
    const ReleaseQuery &query, const QList<ReleaseCandidate> &results)
{
    const QString queryTitle = ReleaseQuery::normalizedName(query.title);
    const QString queryArtist = ReleaseQuery::normalizedName(query.artist);
    for (const ReleaseCandidate &c : results) {
        if (!query.catalogNumber.isEmpty()
            && ReleaseQuery::normalizedCatalogNumber(c.catalogNumber)
                == ReleaseQuery::normalizedCatalogNumber(query.catalogNumber))
            return c;
        if (query.title.isEmpty() && results.size() == 1)
            return c;
        if (!query.title.isEmpty() && ReleaseQuery::normalizedName(c.title) == queryTitle
            && (query.artist.isEmpty() || ReleaseQuery::normalizedName(c.artist) == queryArtist))
            return c;
    }
    return std::nullopt;
}

// "shelf.jpg · spine 2: Low Harbour Ana Lua"
QString photoLine(const QString &fileName, const QList<PhotoEvidence> &evidence, qsizetype index)
{
    const PhotoEvidence &one = evidence[index];
    const QString position = QString::number(index + 1);
    QString label;
    if (one.kind == PhotoEvidence::Kind::spine)
        label = BatchMatcher::tr("spine %1").arg(position);
    else if (evidence.size() == 1)
        label = BatchMatcher::tr("cover");
    else
        label = BatchMatcher::tr("cover %1").arg(position);
    const QString text
        = one.lines.isEmpty() ? one.barcodes.join(QStringLiteral(", ")) : one.lines.join(u' ');
    return fileName + QStringLiteral(" \u00B7 ") + label + QStringLiteral(": ") + text;
}

} // namespace

BatchMatcher::BatchMatcher(QObject *parent)
    : BatchMatcher(liveBackend(), parent)
{ }

BatchMatcher::BatchMatcher(Backend backend, QObject *parent)
    : QObject(parent)
    , m_backend(std::move(backend))
{
    m_pool.setMaxThreadCount(1);
}

BatchMatcher::~BatchMatcher()
{
    m_stop.request_stop();
    m_pool.clear();
    m_pool.waitForDone();
}

const BatchItem *BatchMatcher::item(const QUuid &id) const
{
    for (const BatchItem &candidate : m_items) {
        if (candidate.id == id)
            return &candidate;
    }
    return nullptr;
}

BatchItem *BatchMatcher::findItem(const QUuid &id)
{
    for (BatchItem &candidate : m_items) {
        if (candidate.id == id)
            return &candidate;
    }
    return nullptr;
}

template <typename Change> void BatchMatcher::changeItem(const QUuid &id, Change change)
{
    if (BatchItem *found = findItem(id)) {
        change(*found);
        emit itemChanged(id);
    }
}

ModelContext *BatchMatcher::context() const
{
    return m_context;
}

void BatchMatcher::setContext(ModelContext *context)
{
    m_context = context;
}

MetadataRefresher *BatchMatcher::refresher() const
{
    return m_refresher;
}

void BatchMatcher::setRefresher(MetadataRefresher *refresher)
{
    m_refresher = refresher;
}

void BatchMatcher::setItems(const QList<BatchItem> &items)
{
    m_items = items;
    emit itemsChanged();
}

void BatchMatcher::setInclude(const QUuid &id, bool include)
{
    const BatchItem *found = item(id);
    if (found && found->include != include)
        changeItem(id, [include](BatchItem &i) { i.include = include; });
}

void BatchMatcher::setChosenID(const QUuid &id, const std::optional<QString> &chosenID)
{
    const BatchItem *found = item(id);
    if (found && found->chosenID != chosenID)
        changeItem(id, [&chosenID](BatchItem &i) { i.chosenID = chosenID; });
}

void BatchMatcher::appendItems(const QList<BatchItem> &items)
{
    m_items.append(items);
    emit itemsChanged();
}

void BatchMatcher::setLocation(const QString &location)
{
    if (m_location == location)
        return;
    m_location = location;
    emit locationChanged();
}

void BatchMatcher::setMediaCondition(Grading grading)
{
    if (m_mediaCondition == grading)
        return;
    m_mediaCondition = grading;
    emit mediaConditionChanged();
}

void BatchMatcher::setSleeveCondition(Grading grading)
{
    if (m_sleeveCondition == grading)
        return;
    m_sleeveCondition = grading;
    emit sleeveConditionChanged();
}

void BatchMatcher::setAutoAddCertainPhotoMatches(bool autoAdd)
{
    if (m_autoAddCertainPhotoMatches == autoAdd)
        return;
    m_autoAddCertainPhotoMatches = autoAdd;
    emit autoAddCertainPhotoMatchesChanged();
}

void BatchMatcher::setRunning(bool running)
{
    if (m_isRunning == running)
        return;
    m_isRunning = running;
    emit isRunningChanged();
}

void BatchMatcher::setAnalyzingPhoto(const std::optional<QString> &name)
{
    if (m_analyzingPhoto == name)
        return;
    m_analyzingPhoto = name;
    emit analyzingPhotoChanged();
}

void BatchMatcher::setPhotosAnalyzed(int count)
{
    if (m_photosAnalyzed == count)
        return;
    m_photosAnalyzed = count;
    emit photosAnalyzedChanged();
}

void BatchMatcher::enqueue(const QString &text)
{
    QList<BatchItem> added;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !TextUtil::isLineBreak(text[i]))
            continue;
        const QString line
            = TextUtil::trimmedSpacesAndTabs(QStringView(text).mid(start, i - start));
        start = i + 1;
        if (line.isEmpty())
            continue;
        BatchItem item;
        item.query = ReleaseQuery::parse(line);
        if (item.query.freeText().isEmpty())
            continue;
        item.line = line;
        added.append(item);
    }
    appendItems(added);
    run();
}

void BatchMatcher::enqueue(const QList<QUrl> &photos, PhotoLayout layout)
{
    for (const QUrl &url : photos)
        m_pendingPhotos.append({ url, layout });
    emit pendingPhotosChanged();
    run();
}

void BatchMatcher::retry(const QUuid &id)
{
    if (!item(id))
        return;
    changeItem(id, [](BatchItem &i) { i.status = BatchItem::Status::pending(); });
    run();
}

void BatchMatcher::remove(const QSet<QUuid> &ids)
{
    const qsizetype removed
        = m_items.removeIf([&ids](const BatchItem &i) { return ids.contains(i.id); });
    if (removed > 0)
        emit itemsChanged();
}

void BatchMatcher::clear()
{
    m_stop.request_stop();
    m_stop = std::stop_source();
    m_worker = 0;
    setRunning(false);
    m_items.clear();
    emit itemsChanged();
    m_pendingPhotos.clear();
    emit pendingPhotosChanged();
    setAnalyzingPhoto(std::nullopt);
    setPhotosAnalyzed(0);
}

int BatchMatcher::doneCount() const
{
    return int(std::count_if(
        m_items.begin(), m_items.end(), [](const BatchItem &i) { return i.isDone(); }));
}

int BatchMatcher::addedCount() const
{
    return int(std::count_if(
        m_items.begin(), m_items.end(), [](const BatchItem &i) { return i.isAdded(); }));
}

bool BatchMatcher::hasWork() const
{
    return !m_items.isEmpty() || !m_pendingPhotos.isEmpty() || m_analyzingPhoto.has_value();
}

// Adding to the library.

int BatchMatcher::addIncluded()
{
    // Without a store nothing can be added; the items stay for when there is one.
    if (!m_context)
        return 0;
    QList<QUuid> selected;
    for (const BatchItem &i : std::as_const(m_items)) {
        if (i.include && i.isDone() && !i.isAdded())
            selected.append(i.id);
    }
    int inserted = 0;
    QSet<QUuid> stored;
    for (const QUuid &id : std::as_const(selected)) {
        const BatchItem *selectedItem = item(id);
        if (!selectedItem)
            continue;
        const Insertion insertion = insertRecord(*selectedItem);
        if (insertion.record) {
            ++inserted;
            stored.insert(id);
        } else {
            const QString reason = insertion.failure;
            changeItem(
                id, [&reason](BatchItem &i) { i.status = BatchItem::Status::failed(reason); });
        }
    }
    remove(stored);
    return inserted;
}

BatchMatcher::Insertion BatchMatcher::insertRecord(const BatchItem &item)
{
    if (!m_context)
        return {};
    RecordDraft draft = recordDraft(item);
    draft.location = m_location;
    draft.mediaCondition = m_mediaCondition;
    draft.sleeveCondition = m_sleeveCondition;
    auto made = std::make_unique<Record>();
    draft.apply(*made);
    const QUuid id = made->id();
    Record *record = m_context->insert(std::move(made));
    if (!record)
        return { nullptr, tr("The record could not be added to the library.") };
    try {
        m_context->save();
    } catch (const StoreError &error) {
        // A record the library file does not hold is not reported as added.
        m_context->remove(id);
        return { nullptr, error.message() };
    }
    if (m_refresher && (record->discogsReleaseID() || record->musicBrainzID()))
        m_refresher->start({ record });
    return { record, {} };
}

void BatchMatcher::undoAdd(const QUuid &id)
{
    const BatchItem *found = item(id);
    if (!found || !found->addedRecordID || !m_context)
        return;
    if (m_context->record(*found->addedRecordID)) {
        m_context->remove(*found->addedRecordID);
        try {
            m_context->save();
        } catch (const StoreError &) {
            // The removal stays pending; the context's automatic save retries and reports it.
        }
    }
    changeItem(id, [](BatchItem &i) { i.addedRecordID.reset(); });
    changeItem(id, [](BatchItem &i) { i.include = false; });
    changeItem(id, [](BatchItem &i) { i.status = BatchItem::Status::needsReview(); });
}

bool BatchMatcher::isOwned(const ReleaseCandidate &candidate) const
{
    if (!m_context)
        return false;
    const QList<Record *> &records = m_context->records();
    if (candidate.source == MetadataSource::musicBrainz) {
        return std::any_of(records.begin(), records.end(),
            [&](const Record *r) { return r->musicBrainzID() == candidate.sourceID; });
    }
    const std::optional<qint64> releaseID = NumberText::decimalInteger(candidate.sourceID);
    if (!releaseID)
        return false;
    return std::any_of(records.begin(), records.end(),
        [&](const Record *r) { return r->discogsReleaseID() == releaseID; });
}

// The worker.

void BatchMatcher::run()
{
    if (m_isRunning)
        return;
    setRunning(true);
    m_stop = std::stop_source();
    m_worker = ++m_lastWorker;
    m_lookups = m_backend.lookups();
    schedulePass(m_worker);
}

bool BatchMatcher::isCurrent(quint64 worker) const
{
    return worker != 0 && worker == m_worker && !m_stop.stop_requested();
}

void BatchMatcher::schedulePass(quint64 worker)
{
    // Every pass starts on a fresh turn of the event loop, so a long list never deepens the
    // stack and the user's edits interleave between items.
    QMetaObject::invokeMethod(
        this, [this, worker] { pass(worker); }, Qt::QueuedConnection);
}

void BatchMatcher::pass(quint64 worker)
{
    if (!isCurrent(worker))
        return;
    if (!m_pendingPhotos.isEmpty()) {
        analyzeNextPhoto(worker);
        return;
    }
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items[i].status.kind == BatchItem::Status::Kind::pending) {
            match(i, worker);
            return;
        }
    }
    finish(worker);
}

void BatchMatcher::finish(quint64 worker)
{
    // A worker that was replaced leaves the newer one's state alone.
    if (worker != m_worker)
        return;
    m_worker = 0;
    setRunning(false);
    setAnalyzingPhoto(std::nullopt);
}

void BatchMatcher::analyzeNextPhoto(quint64 worker)
{
    const PendingPhoto photo = m_pendingPhotos.takeFirst();
    emit pendingPhotosChanged();
    setAnalyzingPhoto(photo.url.fileName());
    // A cancelled worker's analysis is dropped when it ends: its items belong to a list that
    // was cleared.
    runTask(
        this, m_stop.get_token(),
        [analyze = m_backend.analyze, photo](
            std::stop_token stop) { return analyze(photo.url, photo.layout, stop); },
        [this, worker, photo](TaskResult<QList<PhotoEvidence>> result) {
            if (!isCurrent(worker))
                return;
            if (result.error())
                photoFailed(photo, errorDescription(result.error()));
            else
                photoAnalyzed(photo, result.get());
            schedulePass(worker);
        },
        &m_pool);
}

void BatchMatcher::photoAnalyzed(const PendingPhoto &photo, const QList<PhotoEvidence> &evidence)
{
    setPhotosAnalyzed(m_photosAnalyzed + 1);
    const QString fileName = photo.url.fileName();
    if (evidence.isEmpty()) {
        BatchItem item;
        item.line = fileName + tr(": no records found in this photo");
        item.status = BatchItem::Status::failed(
            tr("No readable spines or covers. Try a closer, sharper, evenly lit photo."));
        item.include = false;
        appendItems({ item });
        return;
    }
    for (qsizetype i = 0; i < evidence.size(); ++i) {
        BatchItem item;
        item.line = photoLine(fileName, evidence, i);
        item.query.text = evidence[i].lines.mid(0, 3).join(u' ');
        item.evidence = evidence[i];
        appendItems({ item });
    }
}

void BatchMatcher::photoFailed(const PendingPhoto &photo, const QString &reason)
{
    BatchItem item;
    item.line = photo.url.fileName();
    item.status = BatchItem::Status::failed(tr("Couldn't open this photo: ") + reason);
    item.include = false;
    appendItems({ item });
}

void BatchMatcher::match(qsizetype index, quint64 worker)
{
    const QUuid id = m_items[index].id;
    const ReleaseQuery query = m_items[index].query;
    const std::optional<PhotoEvidence> evidence = m_items[index].evidence;
    changeItem(id, [](BatchItem &i) { i.status = BatchItem::Status::searching(); });

    if (evidence) {
        runTask(
            this, m_stop.get_token(),
            [sources = m_lookups.photoSources, evidence = *evidence](
                std::stop_token stop) { return PhotoMatcher::match(evidence, sources, stop); },
            [this, worker, id](TaskResult<PhotoMatcher::Outcome> result) {
                if (result.error())
                    searchFailed(worker, id, errorDescription(result.error()));
                else
                    photoMatched(worker, id, result.get().candidates, result.get().best,
                        result.get().isCertain);
            },
            &m_pool);
        return;
    }
    if (query.freeText().isEmpty()) {
        // Nothing to ask: a failed photo row, retried.
        textSearched(worker, id, query, {});
        return;
    }
    runTask(
        this, m_stop.get_token(),
        [search = m_lookups.search, query](std::stop_token stop) { return search(query, stop); },
        [this, worker, id, query](TaskResult<QList<ReleaseCandidate>> result) {
            if (result.error())
                searchFailed(worker, id, errorDescription(result.error()));
            else
                textSearched(worker, id, query, result.get());
        },
        &m_pool);
}

BatchItem *BatchMatcher::awaitingAnswer(quint64 worker, const QUuid &id)
{
    if (!isCurrent(worker))
        return nullptr;
    BatchItem *found = findItem(id);
    // A retry during the search queued the item again; this answer is stale.
    if (found && found->status.kind != BatchItem::Status::Kind::searching)
        return nullptr;
    return found;
}

void BatchMatcher::searchFailed(quint64 worker, const QUuid &id, const QString &reason)
{
    if (!isCurrent(worker))
        return;
    if (awaitingAnswer(worker, id)) {
        changeItem(id, [&reason](BatchItem &i) { i.status = BatchItem::Status::failed(reason); });
        changeItem(id, [](BatchItem &i) { i.include = false; });
    }
    schedulePass(worker);
}

void BatchMatcher::textSearched(quint64 worker, const QUuid &id, const ReleaseQuery &query,
    const QList<ReleaseCandidate> &results)
{
    if (!isCurrent(worker))
        return;
    if (awaitingAnswer(worker, id)) {
        if (results.isEmpty()) {
            changeItem(id, [](BatchItem &i) { i.status = BatchItem::Status::notFound(); });
            changeItem(id, [](BatchItem &i) { i.include = false; });
        } else {
            const std::optional<ReleaseCandidate> confident = confidentCandidate(query, results);
            const ReleaseCandidate &chosen = confident ? *confident : results.first();
            const bool owned = isOwned(chosen);
            changeItem(id, [&results](BatchItem &i) { i.candidates = results; });
            changeItem(id, [&chosen](BatchItem &i) { i.chosenID = chosen.id(); });
            changeItem(id, [&confident](BatchItem &i) {
                i.status
                    = confident ? BatchItem::Status::matched() : BatchItem::Status::needsReview();
            });
            changeItem(id, [owned](BatchItem &i) { i.alreadyOwned = owned; });
            changeItem(id, [owned](BatchItem &i) { i.include = !owned; });
        }
    }
    schedulePass(worker);
}

void BatchMatcher::photoMatched(quint64 worker, const QUuid &id,
    const QList<ReleaseCandidate> &candidates, const std::optional<ReleaseCandidate> &best,
    bool isCertain)
{
    if (!isCurrent(worker))
        return;
    if (!awaitingAnswer(worker, id)) {
        schedulePass(worker);
        return;
    }
    if (candidates.isEmpty()) {
        changeItem(id, [](BatchItem &i) { i.status = BatchItem::Status::notFound(); });
        changeItem(id, [](BatchItem &i) { i.include = false; });
        schedulePass(worker);
        return;
    }
    const bool owned = best && isOwned(*best);
    changeItem(id, [&candidates](BatchItem &i) { i.candidates = candidates; });
    changeItem(id, [&best](BatchItem &i) {
        i.chosenID = best ? std::optional<QString>(best->id()) : std::nullopt;
    });
    changeItem(id, [owned](BatchItem &i) { i.alreadyOwned = owned; });
    changeItem(id, [isCertain](BatchItem &i) {
        i.status = isCertain ? BatchItem::Status::matched() : BatchItem::Status::needsReview();
    });

    if (!isCertain || owned) {
        changeItem(id, [](BatchItem &i) { i.include = false; });
    } else if (!m_autoAddCertainPhotoMatches) {
        changeItem(id, [](BatchItem &i) { i.include = true; });
    } else {
        const Insertion insertion = insertRecord(*findItem(id));
        if (insertion.record) {
            const QUuid recordID = insertion.record->id();
            changeItem(id, [&recordID](BatchItem &i) { i.addedRecordID = recordID; });
            changeItem(id, [](BatchItem &i) { i.include = false; });
        } else {
            if (!insertion.failure.isEmpty()) {
                const QString reason = insertion.failure;
                changeItem(
                    id, [&reason](BatchItem &i) { i.status = BatchItem::Status::failed(reason); });
            }
            changeItem(id, [](BatchItem &i) { i.include = true; });
        }
    }
    schedulePass(worker);
}

} // namespace vorla
