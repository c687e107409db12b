#include "services/image_cache.h"

#include "models/record.h"

namespace vorla {

ImageCache &ImageCache::shared()
{
    static ImageCache cache;
    return cache;
}

ImageCache::ImageCache(int countLimit, qint64 byteLimit)
    : m_countLimit(countLimit), m_byteLimit(byteLimit)
{
}

QString ImageCache::key(const Record &record, bool full)
{
    return record.id().toString(QUuid::WithoutBraces).toUpper() + u'-'
        + QString::number(record.coverRevision()) + u'-' + (full ? u'f' : u't');
}

QImage ImageCache::image(const Record &record, bool full)
{
    const QString cacheKey = key(record, full);
    if (QImage hit = lookup(cacheKey); !hit.isNull())
        return hit;
    std::optional<QByteArray> bytes = full && record.hasCoverImageData() ? record.coverImageData()
                                                                         : std::nullopt;
    if (!bytes)
        bytes = record.thumbnailData();
    if (!bytes || bytes->isEmpty())
        return QImage();
    const QImage decoded = QImage::fromData(*bytes);
    if (decoded.isNull())
        return QImage();
    store(cacheKey, decoded);
    return decoded;
}

QImage ImageCache::lookup(const QString &cacheKey)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_index.constFind(cacheKey);
    if (found == m_index.cend())
        return QImage();
    m_entries.splice(m_entries.begin(), m_entries, *found);
    return m_entries.front().image;
}

void ImageCache::store(const QString &cacheKey, const QImage &image)
{
    const qint64 bytes = image.sizeInBytes();
    // An image larger than the whole budget is handed out but not kept.
    if (bytes > m_byteLimit || m_countLimit <= 0)
        return;
    std::lock_guard lock(m_mutex);
    if (const auto found = m_index.constFind(cacheKey); found != m_index.cend()) {
        m_totalBytes -= (*found)->bytes;
        m_entries.erase(*found);
        m_index.remove(cacheKey);
    }
    m_entries.push_front(Entry{cacheKey, image, bytes});
    m_index.insert(cacheKey, m_entries.begin());
    m_totalBytes += bytes;
    while (m_entries.size() > size_t(m_countLimit) || m_totalBytes > m_byteLimit) {
        const Entry &oldest = m_entries.back();
        m_totalBytes -= oldest.bytes;
        m_index.remove(oldest.key);
        m_entries.pop_back();
    }
}

int ImageCache::count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_entries.size());
}

qint64 ImageCache::totalBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_totalBytes;
}

} // namespace vorla
