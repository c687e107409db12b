#include "views/components/chip.h"

#include "views/components/symbol_icon.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace vorla {

namespace {
constexpr int kHorizontalPadding = 8;
constexpr int kVerticalPadding = 3;
constexpr int kIconSpacing = 4;
} // namespace

Chip::Chip(const QString &text, const QString &systemImage, QWidget *parent)
    : QWidget(parent)
    , m_text(text)
    , m_systemImage(systemImage)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

QFont Chip::chipFont() const
{
    QFont caption = font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    caption.setWeight(QFont::Medium);
    return caption;
}

int Chip::iconSide() const
{
    return QFontMetrics(chipFont()).height() - 2;
}

QSize Chip::sizeHint() const
{
    const QFontMetrics metrics(chipFont());
    int width = metrics.horizontalAdvance(m_text) + 2 * kHorizontalPadding;
    if (!m_systemImage.isEmpty())
        width += iconSide() + kIconSpacing;
    return { width, metrics.height() + 2 * kVerticalPadding };
}

void Chip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(0.09);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    const QRectF capsule = QRectF(rect());
    const qreal radius = capsule.height() / 2;
    painter.drawRoundedRect(capsule, radius, radius);

    int x = kHorizontalPadding;
    if (!m_systemImage.isEmpty()) {
        const int side = iconSide();
        symbolIcon(m_systemImage).paint(&painter, QRect(x, (height() - side) / 2, side, side));
        x += side + kIconSpacing;
    }
    painter.setFont(chipFont());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(x, 0, width() - x - kHorizontalPadding + 1, height()),
        Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, m_text);
}

void Chip::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

} // namespace vorla
