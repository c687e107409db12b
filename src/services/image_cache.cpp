#include "services/image_cache.h"

#include "models/record.h"

#include <algorithm>

namespace vorla {

ImageCache &ImageCache::shared()
{
    static ImageCache cache;
    return cache;
}

ImageCache::ImageCache(int countLimit, qint64 byteLimit)
    : m_countLimit(countLimit), m_byteLimit(byteLimit), m_cache(qsizetype(std::max<qint64>(byteLimit, 0)))
{
}

ImageCache::Entry::Entry(const QImage &image, qint64 &total)
    : image(image), bytes(image.sizeInBytes()), total(total)
{
    total += bytes;
}

ImageCache::Entry::~Entry()
{
    total -= bytes;
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
    const Entry *found = m_cache.object(cacheKey); // marks it most recently used
    return found ? found->image : QImage();
}

void ImageCache::store(const QString &cacheKey, const QImage &image)
{
    const qint64 bytes = image.sizeInBytes();
    // An image larger than the whole budget is handed out but not kept.
    if (bytes > m_byteLimit || m_countLimit <= 0)
        return;
    const qint64 share = (m_byteLimit + m_countLimit - 1) / m_countLimit;
    std::lock_guard lock(m_mutex);
    m_cache.insert(cacheKey, new Entry(image, m_totalBytes), qsizetype(std::min(std::max(bytes, share), m_byteLimit)));
}

int ImageCache::count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_cache.count());
}

qint64 ImageCache::totalBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_totalBytes;
}

} // namespace vorla
