// Fetches missing metadata and artwork for stored records in the background, one record at
// a time, and publishes its progress for the status bar. Failures are only counted.
// GUI thread only; the lookups run on the thread pool through runTask.
#pragma once

#include "models/record.h"
#include "models/record_draft.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>
#include <stop_token>

namespace vorla {

class ModelContext;
class Record;

class MetadataRefresher : public QObject
{
    Q_OBJECT

public:
    // Looks one stored record up by its Discogs id, else MusicBrainz id, else barcode; runs
    // on a worker thread and may throw. None when there is nothing to find.
    using Lookup = std::function<std::optional<RecordDraft>(std::optional<qint64> discogsID,
        std::optional<QString> musicBrainzID, QString barcode, std::stop_token)>;
    // Gives the lookup of one run; called on the GUI thread when a run starts, so every
    // lookup of the run shares one token and one MusicBrainz setting.
    using LookupFactory = std::function<Lookup()>;

    // The lookup facade of the running application: built from the current token and
    // MusicBrainz setting at the start of each run.
    static LookupFactory facadeLookup();

    explicit MetadataRefresher(LookupFactory makeLookup, QObject *parent = nullptr);
    ~MetadataRefresher() override;

    bool isRunning() const { return m_isRunning; }
    qint64 completed() const { return m_completed; }
    qint64 total() const { return m_total; }
    QString currentTitle() const { return m_currentTitle; }
    qint64 failures() const { return m_failures; }
    // completed / total, 0 while total is 0.
    double progress() const;

    // Queues the records not already waiting and starts a run unless one is going.
    void start(const QList<Record *> &records);
    // Stops at once: the running lookup is cancelled and its late result ignored.
    void cancel();

    // Lacks its thumbnail or tracklist, and has a Discogs id, a MusicBrainz id or a barcode
    // with digits to look it up by.
    static bool needsMetadata(const Record &record);

signals:
    void isRunningChanged();
    void progressChanged(); // completed or total
    void currentTitleChanged();
    void failuresChanged();

private:
    struct Queued
    {
        QUuid id;
        QPointer<ModelContext> context;
    };

    void step(const QUuid &run);
    // A lookup's draft, and its cover already downscaled on the worker.
    struct LookedUp
    {
        std::optional<RecordDraft> draft;
        std::optional<Record::PreparedCover> cover;
    };

    void lookedUp(const QUuid &run, const Queued &item, LookedUp found);
    void finish();
    void setRunning(bool running);
    void setCounts(qint64 completed, qint64 total);
    void setCurrentTitle(const QString &title);
    void setFailures(qint64 failures);

    LookupFactory m_makeLookup;
    Lookup m_lookup;
    std::stop_source m_stop;
    QList<Queued> m_queue;
    QUuid m_runID = QUuid::createUuid();
    bool m_isRunning = false;
    qint64 m_completed = 0;
    qint64 m_total = 0;
    qint64 m_failures = 0;
    QString m_currentTitle;
};

} // namespace vorla
