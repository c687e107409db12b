#include "views/components/busy_indicator.h"

#include <QPainter>

namespace vorla {

BusyIndicator::BusyIndicator(int side, QWidget *parent)
    : QWidget(parent)
    , m_side(side)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(tr("In progress"));
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height()) - 2;
    const QRectF square((width() - side) / 2, (height() - side) / 2, side, side);
    QColor color = palette().color(QPalette::WindowText);
    color.setAlphaF(0.2);
    painter.setPen(QPen(color, 2));
    painter.drawEllipse(square);
    color.setAlphaF(0.75);
    painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(square, -m_angle * 16, 100 * 16);
}

void BusyIndicator::showEvent(QShowEvent *event)
{
    m_timer.start();
    QWidget::showEvent(event);
}

void BusyIndicator::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace vorla
