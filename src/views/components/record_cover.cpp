#include "views/components/record_cover.h"

#include "models/model_context.h"
#include "models/record.h"
#include "services/image_cache.h"

#include <QPaintEvent>

namespace vorla {

QImage recordCoverImage(const Record &record, bool full)
{
    return ImageCache::shared().image(record, full);
}

bool isRecordCoverKey(const QString &key, const Record &record, bool full)
{
    return key == ImageCache::key(record, full);
}

QString coverSeed(const Record &record)
{
    return record.artist() + record.title();
}

RecordCover::RecordCover(QWidget *parent)
    : SquareCover(parent)
{
    connect(&ImageCache::shared(), &ImageCache::imageReady, this, [this](const QString &key) {
        if (const Record *shown = record(); shown && isRecordCoverKey(key, *shown, m_full))
            update();
    });
}

void RecordCover::setRecord(const Record *record, bool full)
{
    if (m_context)
        disconnect(m_context, nullptr, this, nullptr);
    m_context = record ? record->context() : nullptr;
    m_id = record ? record->id() : QUuid();
    m_full = full;
    if (m_context) {
        auto refresh = [this](const QList<QUuid> &ids) {
            if (ids.contains(m_id))
                update();
        };
        connect(m_context, &ModelContext::recordsChanged, this, refresh);
        connect(m_context, &ModelContext::recordsRemoved, this, refresh);
    }
    update();
}

const Record *RecordCover::record() const
{
    return m_context ? m_context->record(m_id) : nullptr;
}

QImage RecordCover::image() const
{
    const Record *shown = record();
    return shown ? recordCoverImage(*shown, m_full) : QImage();
}

QString RecordCover::seed() const
{
    const Record *shown = record();
    return shown ? coverSeed(*shown) : QString();
}

void RecordCover::paintEvent(QPaintEvent *event)
{
    if (record())
        SquareCover::paintEvent(event);
}

} // namespace vorla
