// Decoded cover images of stored records, kept in memory so grids do not decode the same
// bytes on every redraw. Keyed by record id and cover revision, so a changed cover is never
// served from the cache. Bounded by entry count and by decoded bytes, least recently used
// entries going first: QCache keeps the order, and every entry costs at least its share of
// the byte budget for one of `countLimit` entries, so both bounds hold.
//
// A miss reads the bytes (on the GUI thread, whose connection the store is) and decodes them
// on the thread pool, so painting never waits for a decode: the caller paints its placeholder
// and repaints on imageReady(). Misses queue up for a few workers, each taking decodes until
// none is left: a page of new tiles wakes a thread or two, not one per cover. Thread-safe,
// but image() reads a record, so it runs on the GUI thread.
#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QThreadPool;

namespace vorla {

class Record;

class ImageCache : public QObject
{
    Q_OBJECT

public:
    static constexpr int kCountLimit = 600;
    // About seventy-five decoded 400-pixel thumbnails (640 KB each), nearly two screens of
    // tiles, whose finished pictures the grid keeps besides: scrolling a large collection
    // must not fill the memory with pictures already passed.
    static constexpr qint64 kByteLimit = 48 * 1024 * 1024;

    using Decoder = std::function<QImage(const QByteArray &)>;

    // The one instance of the process, made on first use.
    static ImageCache &shared();

    // `decoder` runs on `pool` (the global pool when null); tests watch it.
    explicit ImageCache(int countLimit = kCountLimit, qint64 byteLimit = kByteLimit,
        Decoder decoder = &ImageCache::decode, QThreadPool *pool = nullptr);
    ImageCache(const ImageCache &) = delete;
    ImageCache &operator=(const ImageCache &) = delete;

    // The full cover (falling back to the thumbnail) or the thumbnail alone once decoded. A
    // null image meanwhile, and when the record has none or its bytes cannot be decoded (that
    // is remembered too, so they are not decoded again on every paint). `decoding`, when
    // given, tells whether a decode is under way, which imageReady() will report.
    QImage image(const Record &record, bool full, bool *decoding = nullptr);

    // "<ID>-<revision>-f" or "-t", the id in upper-case hyphenated form.
    static QString key(const Record &record, bool full);
    // Decodes image bytes; never on the GUI thread, which must stay free to paint.
    static QImage decode(const QByteArray &bytes);

    int count() const;
    qint64 totalBytes() const;
    // Decodes started and not yet cached.
    int pendingCount() const;
    // Runs the event loop until every decode started has been reported: for snapshots and
    // benches, which show what the user sees once the covers are in. GUI thread.
    void waitForDecodes();

signals:
    // The decode of `key` has finished and its result is cached: repaint what shows it.
    // Emitted on the GUI thread.
    void imageReady(const QString &key);

private:
    // Owned by the QCache, which deletes it when it goes; it then takes its bytes off the total.
    struct Entry
    {
        Entry(const QImage &image, qint64 &total);
        ~Entry();
        Entry(const Entry &) = delete;
        Entry &operator=(const Entry &) = delete;

        QImage image;
        qint64 bytes;
        qint64 &total;
    };

    // Decodes waiting for a worker, and those done but not yet taken into the cache, shared
    // with the workers, which may outlive the cache. A paint that comes before the posted
    // report takes a finished picture from here instead of drawing its placeholder.
    struct Queue
    {
        std::mutex mutex;
        std::deque<std::pair<QString, QByteArray>> waiting;
        QHash<QString, QImage> done;
        int workers = 0;
    };

    // Moves a finished decode of `key` into the cache and returns it; m_mutex held.
    std::optional<QImage> takeDone(const QString &key);
    void finish(const QString &key);
    void store(const QString &key, const QImage &image);

    const int m_countLimit;
    const qint64 m_byteLimit;
    const Decoder m_decoder;
    QThreadPool *const m_pool;
    const std::shared_ptr<Queue> m_queue = std::make_shared<Queue>();
    mutable std::mutex m_mutex;
    qint64 m_totalBytes = 0;
    QCache<QString, Entry> m_cache;
    QSet<QString> m_pending;
    // The latest image too large for the whole budget, held outside it so that the repaint
    // it asked for shows it instead of decoding it again.
    QString m_oversizeKey;
    QImage m_oversize;
};

} // namespace vorla
