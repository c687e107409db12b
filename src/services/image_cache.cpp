#include "services/image_cache.h"

#include "models/record.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

namespace vorla {

ImageCache &ImageCache::shared()
{
    // Two threads of their own: a fast scroll then neither takes every core from painting
    // nor holds up lookups waiting for the global pool, and few threads keep few malloc
    // arenas holding freed pictures.
    static QThreadPool pool;
    static ImageCache cache = [] {
        pool.setMaxThreadCount(2);
        return ImageCache(kCountLimit, kByteLimit, &ImageCache::decode, &pool);
    }();
    return cache;
}

ImageCache::ImageCache(int countLimit, qint64 byteLimit, Decoder decoder, QThreadPool *pool)
    : m_countLimit(countLimit)
    , m_byteLimit(byteLimit)
    , m_decoder(std::move(decoder))
    , m_pool(pool ? pool : QThreadPool::globalInstance())
    , m_cache(qsizetype(std::max<qint64>(byteLimit, 0)))
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

QImage ImageCache::decode(const QByteArray &bytes)
{
    Q_ASSERT_X(!QCoreApplication::instance()
            || QThread::currentThread() != QCoreApplication::instance()->thread(),
        "ImageCache::decode", "called on the GUI thread");
    return QImage::fromData(bytes);
}

QImage ImageCache::image(const Record &record, bool full, bool *decoding)
{
    const QString cacheKey = key(record, full);
    if (decoding)
        *decoding = false;
    {
        std::lock_guard lock(m_mutex);
        if (const Entry *found = m_cache.object(cacheKey)) // marks it most recently used
            return found->image;
        if (cacheKey == m_oversizeKey)
            return m_oversize;
        if (m_pending.contains(cacheKey)) {
            if (std::optional<QImage> done = takeDone(cacheKey))
                return *done;
            if (decoding)
                *decoding = true;
            return QImage();
        }
    }
    std::optional<QByteArray> bytes = full && record.hasCoverImageData() ? record.coverImageData()
                                                                         : std::nullopt;
    if (!bytes)
        bytes = record.thumbnailData();
    if (!bytes || bytes->isEmpty())
        return QImage();
    {
        std::lock_guard lock(m_mutex);
        m_pending.insert(cacheKey);
    }
    if (decoding)
        *decoding = true;
    bool startWorker = false;
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->waiting.emplace_back(cacheKey, std::move(*bytes));
        if (m_queue->workers < std::max(1, m_pool->maxThreadCount())) {
            ++m_queue->workers;
            startWorker = true;
        }
    }
    if (!startWorker)
        return QImage();
    // Only dereferenced on the GUI thread; the worker merely carries it.
    auto guard = std::make_shared<QPointer<ImageCache>>(this);
    m_pool->start([decoder = m_decoder, queue = m_queue, guard] {
        for (;;) {
            std::pair<QString, QByteArray> job;
            {
                std::lock_guard lock(queue->mutex);
                if (queue->waiting.empty()) {
                    --queue->workers;
                    return;
                }
                job = std::move(queue->waiting.front());
                queue->waiting.pop_front();
            }
            QImage decoded;
            try {
                decoded = decoder(job.second);
            } catch (const std::bad_alloc &) {
                // A picture too large for the memory shows the placeholder.
            }
            QCoreApplication *app = QCoreApplication::instance();
            if (!app)
                continue;
            {
                std::lock_guard lock(queue->mutex);
                queue->done.insert(job.first, std::move(decoded));
            }
            QMetaObject::invokeMethod(
                app,
                [guard, cacheKey = std::move(job.first)] {
                    if (*guard)
                        (*guard)->finish(cacheKey);
                },
                Qt::QueuedConnection);
        }
    });
    return QImage();
}

std::optional<QImage> ImageCache::takeDone(const QString &cacheKey)
{
    QImage image;
    {
        std::lock_guard lock(m_queue->mutex);
        const auto found = m_queue->done.find(cacheKey);
        if (found == m_queue->done.end())
            return std::nullopt;
        image = std::move(*found);
        m_queue->done.erase(found);
    }
    m_pending.remove(cacheKey);
    store(cacheKey, image);
    return image;
}

void ImageCache::finish(const QString &cacheKey)
{
    {
        std::lock_guard lock(m_mutex);
        takeDone(cacheKey);
    }
    // Also when a paint took the picture first: others may be waiting for it.
    emit imageReady(cacheKey);
}

void ImageCache::store(const QString &cacheKey, const QImage &image)
{
    const qint64 bytes = image.sizeInBytes();
    if (bytes > m_byteLimit || m_countLimit <= 0) {
        m_oversizeKey = cacheKey;
        m_oversize = image;
        return;
    }
    // Bytes that do not decode are kept as a null image at the smallest cost.
    const qint64 share = (m_byteLimit + m_countLimit - 1) / m_countLimit;
    m_cache.insert(cacheKey, new Entry(image, m_totalBytes),
        qsizetype(std::min(std::max(bytes, share), m_byteLimit)));
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

int ImageCache::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_pending.size());
}

void ImageCache::waitForDecodes()
{
    // Each decode posts its result, which wakes the loop.
    while (pendingCount() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace vorla
