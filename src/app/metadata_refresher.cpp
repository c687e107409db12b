#include "app/metadata_refresher.h"

#include "app/run_task.h"
#include "models/model_context.h"
#include "models/record.h"
#include "services/barcode.h"

#include <QSet>
#include <QTimer>

namespace vorla {

namespace {

Record *storedRecord(const QUuid &id, ModelContext *context)
{
    return context ? context->record(id) : nullptr;
}

} // namespace

MetadataRefresher::MetadataRefresher(LookupFactory makeLookup, QObject *parent)
    : QObject(parent)
    , m_makeLookup(std::move(makeLookup))
{ }

MetadataRefresher::~MetadataRefresher()
{
    m_stop.request_stop();
}

double MetadataRefresher::progress() const
{
    return m_total == 0 ? 0.0 : double(m_completed) / double(m_total);
}

bool MetadataRefresher::needsMetadata(const Record &record)
{
    const bool lacksSomething = !record.hasThumbnailData() || !record.hasTracklistData();
    if (!lacksSomething)
        return false;
    return record.discogsReleaseID().has_value() || record.musicBrainzID().has_value()
        || !Barcode::digits(record.barcode()).isEmpty();
}

void MetadataRefresher::start(const QList<Record *> &records)
{
    QSet<QUuid> queued;
    for (const Queued &item : std::as_const(m_queue))
        queued.insert(item.id);
    QList<Queued> taken;
    for (Record *record : records) {
        if (record && !queued.contains(record->id()))
            taken.append({ record->id(), record->context() });
    }
    if (taken.isEmpty())
        return;
    m_queue.append(taken);
    setCounts(m_completed, m_total + taken.size());
    if (m_isRunning)
        return;

    setRunning(true);
    setFailures(0);
    m_runID = QUuid::createUuid();
    m_stop = std::stop_source();
    m_lookup = m_makeLookup();
    // The run begins on the next turn of the event loop, as a task would.
    const QUuid run = m_runID;
    QTimer::singleShot(0, this, [this, run] { step(run); });
}

void MetadataRefresher::cancel()
{
    m_stop.request_stop();
    m_runID = QUuid::createUuid();
    finish();
}

void MetadataRefresher::step(const QUuid &run)
{
    while (m_runID == run && !m_stop.stop_requested() && !m_queue.isEmpty()) {
        const Queued item = m_queue.takeFirst();
        Record *record = storedRecord(item.id, item.context);
        if (!record) {
            setCounts(m_completed + 1, m_total);
            continue;
        }
        setCurrentTitle(record->title().isEmpty() ? record->artist() : record->title());
        runTask(
            this, m_stop.get_token(),
            [lookup = m_lookup, discogsID = record->discogsReleaseID(),
                musicBrainzID = record->musicBrainzID(), barcode = record->barcode()](
                std::stop_token stop) {
                LookedUp found { lookup(discogsID, musicBrainzID, barcode, stop), std::nullopt };
                // The cover is decoded and encoded here, not on the GUI thread.
                if (found.draft && found.draft->coverImageData)
                    found.cover = Record::prepareCover(*found.draft->coverImageData);
                return found;
            },
            [this, run, item](TaskResult<LookedUp> result) {
                LookedUp found;
                // A failed lookup counts exactly like one that found nothing.
                if (!result.error())
                    found = std::move(result.get());
                lookedUp(run, item, std::move(found));
            });
        return;
    }
    if (m_runID == run)
        finish();
}

void MetadataRefresher::lookedUp(const QUuid &run, const Queued &item, LookedUp found)
{
    if (m_runID != run)
        return;
    if (found.draft) {
        // A record deleted during its lookup simply drops the draft.
        if (Record *record = storedRecord(item.id, item.context))
            record->applyReleaseMetadata(*found.draft, found.cover);
    } else {
        setFailures(m_failures + 1);
    }
    setCounts(m_completed + 1, m_total);
    step(run);
}

void MetadataRefresher::finish()
{
    setRunning(false);
    setCurrentTitle(QString());
    m_queue.clear();
    setCounts(0, 0);
}

void MetadataRefresher::setRunning(bool running)
{
    if (m_isRunning == running)
        return;
    m_isRunning = running;
    emit isRunningChanged();
}

void MetadataRefresher::setCounts(qint64 completed, qint64 total)
{
    if (m_completed == completed && m_total == total)
        return;
    m_completed = completed;
    m_total = total;
    emit progressChanged();
}

void MetadataRefresher::setCurrentTitle(const QString &title)
{
    if (m_currentTitle == title)
        return;
    m_currentTitle = title;
    emit currentTitleChanged();
}

void MetadataRefresher::setFailures(qint64 failures)
{
    if (m_failures == failures)
        return;
    m_failures = failures;
    emit failuresChanged();
}

} // namespace vorla
