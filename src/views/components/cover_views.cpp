#include "views/components/cover_views.h"

#include "app/run_task.h"
#include "services/image_cache.h"
#include "views/components/cover_painter.h"

#include <QPainter>

namespace vorla {

VinylPlaceholder::VinylPlaceholder(const QString &seed, QWidget *parent)
    : QWidget(parent)
    , m_seed(seed)
{ }

void VinylPlaceholder::setSeed(const QString &seed)
{
    if (m_seed == seed)
        return;
    m_seed = seed;
    update();
}

double VinylPlaceholder::hue() const
{
    return vinylHue(m_seed);
}

void VinylPlaceholder::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintVinylPlaceholder(painter, rect(), m_seed);
}

SquareCover::SquareCover(QWidget *parent)
    : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void SquareCover::setCornerRadius(qreal radius)
{
    if (qFuzzyCompare(m_cornerRadius, radius))
        return;
    m_cornerRadius = radius;
    update();
}

void SquareCover::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSquareImage(painter, rect(), image(), seed(), m_cornerRadius, palette());
}

DataCover::DataCover(QWidget *parent)
    : SquareCover(parent)
{ }

DataCover::~DataCover()
{
    m_decode.request_stop();
}

void DataCover::setData(const QByteArray &data)
{
    if (data == m_data)
        return;
    m_data = data;
    // Only the newest bytes may land.
    m_decode.request_stop();
    m_decode = std::stop_source();
    if (data.isEmpty()) {
        m_decoding = false;
        m_image = QImage();
        update();
        emit imageShown();
        return;
    }
    m_decoding = true;
    runTask(
        this, m_decode.get_token(),
        [data](std::stop_token) { return ImageCache::decode(data); },
        [this](TaskResult<QImage> result) {
            m_decoding = false;
            m_image = result.hasValue() ? result.get() : QImage();
            update();
            emit imageShown();
        });
}

void DataCover::setSeed(const QString &seed)
{
    if (m_seed == seed)
        return;
    m_seed = seed;
    update();
}

} // namespace vorla
