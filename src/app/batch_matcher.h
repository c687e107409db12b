// The batch list behind the batch import sheet: typed lines and photos are queued, matched one
// after another by one background worker, reviewed, and then added to the library together.
// Certain photo matches can be added at once. GUI thread only; lookups and photo analysis run
// on the matcher's own worker thread, and every answer finds its item again by id.
#pragma once

#include "app/batch_item.h"
#include "models/grading.h"
#include "scanner/photo_evidence.h"
#include "scanner/photo_match_sources.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <optional>
#include <stop_token>

namespace vorla {

class MetadataRefresher;
class ModelContext;
class Record;

struct PendingPhoto
{
    QUrl url;
    PhotoLayout layout = PhotoLayout::automatic;

    bool operator==(const PendingPhoto &) const = default;
};

class BatchMatcher : public QObject
{
    Q_OBJECT

public:
    // The lookups of one worker: typed lines go to `search`, photo pieces to the photo
    // matcher with `photoSources`. Called on the worker thread; may throw.
    struct Lookups
    {
        std::function<QList<ReleaseCandidate>(const ReleaseQuery &, std::stop_token)> search;
        PhotoMatcher::Sources photoSources;
    };
    // What the worker reaches beyond the GUI thread.
    struct Backend
    {
        // Reads one photo into one evidence per record; worker thread; throws when the photo
        // cannot be read.
        std::function<QList<PhotoEvidence>(const QUrl &, PhotoLayout, std::stop_token)> analyze;
        // Called on the GUI thread when a worker starts: the lookups it keeps for its run.
        std::function<Lookups()> lookups;
    };

    // The photo analyzer and the lookup facade; photos use the recorded searches instead
    // when replay is on.
    static Backend liveBackend();
    // The recorded searches photo matching answers from, if any; asked on the worker thread.
    using Replay = std::function<std::optional<PhotoMatcher::Sources>()>;
    // The lookup facade with the token and MusicBrainz setting read once per worker, on its
    // first lookup; photo pieces are answered by the replay instead when it gives sources.
    static Lookups facadeLookups(Replay replay);

    explicit BatchMatcher(QObject *parent = nullptr);
    explicit BatchMatcher(Backend backend, QObject *parent = nullptr);
    // Cancels the worker and waits for its thread, so nothing outlives the matcher.
    ~BatchMatcher() override;

    const QList<BatchItem> &items() const { return m_items; }
    // The item with that id, or null; valid until the list next changes.
    const BatchItem *item(const QUuid &id) const;
    // Replaces the whole list (staged screens); the worker is not started.
    void setItems(const QList<BatchItem> &items);
    // The review row's own edits.
    void setInclude(const QUuid &id, bool include);
    void setChosenID(const QUuid &id, const std::optional<QString> &chosenID);

    bool isRunning() const { return m_isRunning; }
    const QList<PendingPhoto> &pendingPhotos() const { return m_pendingPhotos; }
    const std::optional<QString> &analyzingPhoto() const { return m_analyzingPhoto; }
    int photosAnalyzed() const { return m_photosAnalyzed; }

    // Given to every record this matcher adds.
    const QString &location() const { return m_location; }
    void setLocation(const QString &location);
    Grading mediaCondition() const { return m_mediaCondition; }
    void setMediaCondition(Grading grading);
    Grading sleeveCondition() const { return m_sleeveCondition; }
    void setSleeveCondition(Grading grading);
    bool autoAddCertainPhotoMatches() const { return m_autoAddCertainPhotoMatches; }
    void setAutoAddCertainPhotoMatches(bool autoAdd);

    // Without a context nothing is added and nothing counts as owned.
    ModelContext *context() const;
    void setContext(ModelContext *context);
    MetadataRefresher *refresher() const;
    void setRefresher(MetadataRefresher *refresher);

    // One pending item per line that says something; then starts the worker.
    void enqueue(const QString &text);
    void enqueue(const QList<QUrl> &photos, PhotoLayout layout);
    // Searches that item again; unknown ids change nothing.
    void retry(const QUuid &id);
    void remove(const QSet<QUuid> &ids);
    // Cancels the worker and empties the list, the photo queue and the counters.
    void clear();
    // Adds the included, done, not yet added items to the library and takes them off the
    // list; returns how many records were stored. An item whose record could not be stored
    // stays, failed with the reason.
    int addIncluded();
    // Deletes the record added automatically for the item and sends the item back to review.
    void undoAdd(const QUuid &id);

    int doneCount() const;
    int addedCount() const;
    bool hasWork() const;

signals:
    // The list as a whole changed: items appended, removed or replaced.
    void itemsChanged();
    // One field of one item changed.
    void itemChanged(const QUuid &id);
    void isRunningChanged();
    void pendingPhotosChanged();
    void analyzingPhotoChanged();
    void photosAnalyzedChanged();
    void locationChanged();
    void mediaConditionChanged();
    void sleeveConditionChanged();
    void autoAddCertainPhotoMatchesChanged();

private:
    struct Insertion
    {
        Record *record = nullptr;
        // Why the record could not be stored; empty when there is no store to add to.
        QString failure;
    };

    void run();
    void schedulePass(quint64 worker);
    void pass(quint64 worker);
    void finish(quint64 worker);
    bool isCurrent(quint64 worker) const;
    void analyzeNextPhoto(quint64 worker);
    void photoAnalyzed(const PendingPhoto &photo, const QList<PhotoEvidence> &evidence);
    void photoFailed(const PendingPhoto &photo, const QString &reason);
    void match(qsizetype index, quint64 worker);
    void textSearched(quint64 worker, const QUuid &id, const ReleaseQuery &query,
        const QList<ReleaseCandidate> &results);
    void photoMatched(quint64 worker, const QUuid &id, const QList<ReleaseCandidate> &candidates,
        const std::optional<ReleaseCandidate> &best, bool isCertain);
    void searchFailed(quint64 worker, const QUuid &id, const QString &reason);
    // The item still waiting for this worker's answer, or null when it is gone or was sent
    // back to the queue meanwhile.
    BatchItem *awaitingAnswer(quint64 worker, const QUuid &id);

    Insertion insertRecord(const BatchItem &item);
    bool isOwned(const ReleaseCandidate &candidate) const;

    BatchItem *findItem(const QUuid &id);
    template <typename Change> void changeItem(const QUuid &id, Change change);
    void appendItems(const QList<BatchItem> &items);
    void setRunning(bool running);
    void setAnalyzingPhoto(const std::optional<QString> &name);
    void setPhotosAnalyzed(int count);

    Backend m_backend;
    QList<BatchItem> m_items;
    bool m_isRunning = false;
    QList<PendingPhoto> m_pendingPhotos;
    std::optional<QString> m_analyzingPhoto;
    int m_photosAnalyzed = 0;
    QString m_location;
    Grading m_mediaCondition = Grading::notGraded;
    Grading m_sleeveCondition = Grading::notGraded;
    bool m_autoAddCertainPhotoMatches = true;
    QPointer<ModelContext> m_context;
    QPointer<MetadataRefresher> m_refresher;

    // The current worker: its serial number (0 = none), its stop and its lookups.
    quint64 m_worker = 0;
    quint64 m_lastWorker = 0;
    std::stop_source m_stop;
    Lookups m_lookups;
    // One thread: a cancelled worker's last request ends before the next worker's first.
    QThreadPool m_pool;
};

} // namespace vorla
