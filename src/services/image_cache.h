// Decoded cover images of stored records, kept in memory so grids do not decode the same
// bytes on every redraw. Keyed by record id and cover revision, so a changed cover is never
// served from the cache. Bounded by entry count and by decoded bytes, least recently used
// entries going first: QCache keeps the order, and every entry costs at least its share of
// the byte budget for one of `countLimit` entries, so both bounds hold. Thread-safe; image() itself reads a record, so it runs on the GUI thread.
#pragma once

#include <QCache>
#include <QImage>
#include <QString>

#include <mutex>

namespace vorla {

class Record;

class ImageCache
{
public:
    static constexpr int kCountLimit = 600;
    // About a hundred decoded 400-pixel thumbnails (640 KB each), several screens of tiles:
    // scrolling a large collection must not fill the memory with pictures already passed.
    static constexpr qint64 kByteLimit = 64 * 1024 * 1024;

    // The one instance of the process, made on first use.
    static ImageCache &shared();

    explicit ImageCache(int countLimit = kCountLimit, qint64 byteLimit = kByteLimit);
    ImageCache(const ImageCache &) = delete;
    ImageCache &operator=(const ImageCache &) = delete;

    // The full cover (falling back to the thumbnail) or the thumbnail alone; a null image
    // when the record has none or its bytes cannot be decoded (then nothing is cached).
    QImage image(const Record &record, bool full);

    // "<ID>-<revision>-f" or "-t", the id in upper-case hyphenated form.
    static QString key(const Record &record, bool full);

    int count() const;
    qint64 totalBytes() const;

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

    QImage lookup(const QString &key);
    void store(const QString &key, const QImage &image);

    const int m_countLimit;
    const qint64 m_byteLimit;
    mutable std::mutex m_mutex;
    qint64 m_totalBytes = 0;
    QCache<QString, Entry> m_cache;
};

} // namespace vorla
