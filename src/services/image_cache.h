// Decoded cover images of stored records, kept in memory so grids do not decode the same
// bytes on every redraw. Keyed by record id and cover revision, so a changed cover is never
// served from the cache. Bounded by entry count and by decoded bytes, least recently used
// entries going first. Thread-safe; image() itself reads a record, so it runs on the GUI thread.
#pragma once

#include <QHash>
#include <QImage>
#include <QString>

#include <list>
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
    struct Entry
    {
        QString key;
        QImage image;
        qint64 bytes = 0;
    };

    QImage lookup(const QString &key);
    void store(const QString &key, const QImage &image);

    const int m_countLimit;
    const qint64 m_byteLimit;
    mutable std::mutex m_mutex;
    std::list<Entry> m_entries; // most recently used first
    QHash<QString, std::list<Entry>::iterator> m_index;
    qint64 m_totalBytes = 0;
};

} // namespace vorla
