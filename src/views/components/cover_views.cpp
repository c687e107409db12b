#include "views/components/cover_views.h"

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

void DataCover::setData(const QByteArray &data)
{
    m_image = data.isEmpty() ? QImage() : QImage::fromData(data);
    update();
}

void DataCover::setSeed(const QString &seed)
{
    if (m_seed == seed)
        return;
    m_seed = seed;
    update();
}

} // namespace vorla
