#include "views/components/star_rating.h"

#include "views/components/symbol_icon.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace vorla {

namespace {

constexpr qreal kSpacing = 2;

// The stars are one adjustable element: "Rating", "<n> of 5 stars", increase/decrease.
class StarRatingAccessible : public QAccessibleWidget
{
public:
    explicit StarRatingAccessible(StarRating *widget)
        : QAccessibleWidget(widget, QAccessible::Slider)
    { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return StarRating::tr("Rating");
        if (t == QAccessible::Value)
            return stars()->valueText();
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return 0; }

    QStringList actionNames() const override { return { increaseAction(), decreaseAction() }; }

    void doAction(const QString &name) override
    {
        if (name == increaseAction())
            stars()->increment();
        else if (name == decreaseAction())
            stars()->decrement();
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    StarRating *stars() const { return static_cast<StarRating *>(widget()); }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("vorla::StarRating") && object && object->isWidgetType())
        return new StarRatingAccessible(static_cast<StarRating *>(object));
    return nullptr;
}

} // namespace

StarRating::StarRating(QWidget *parent)
    : QWidget(parent)
{
    static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(installed);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StarRating::setRating(int rating)
{
    rating = std::clamp(rating, 0, 5);
    if (m_rating == rating)
        return;
    m_rating = rating;
    update();
    QAccessibleValueChangeEvent event(this, valueText());
    QAccessible::updateAccessibility(&event);
}

void StarRating::setStarSize(qreal size)
{
    m_size = size;
    updateGeometry();
    update();
}

void StarRating::setEditable(bool editable)
{
    m_editable = editable;
    setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    setCursor(editable ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void StarRating::tapStar(int star)
{
    if (!m_editable || star < 1 || star > 5)
        return;
    edit(m_rating == star ? 0 : star);
}

void StarRating::increment()
{
    if (m_editable)
        edit(std::min(m_rating + 1, 5));
}

void StarRating::decrement()
{
    if (m_editable)
        edit(std::max(m_rating - 1, 0));
}

QString StarRating::valueText() const
{
    return tr("%1 of 5 stars").arg(m_rating);
}

void StarRating::edit(int rating)
{
    if (rating == m_rating)
        return;
    setRating(rating);
    emit ratingEdited(m_rating);
}

QRectF StarRating::starRect(int star) const
{
    const qreal top = (height() - m_size) / 2;
    return { (star - 1) * (m_size + kSpacing), top, m_size, m_size };
}

int StarRating::starAt(const QPoint &point) const
{
    for (int star = 1; star <= 5; ++star) {
        // Each star answers for its own cell, the gap to its right included.
        QRectF cell = starRect(star).adjusted(0, 0, kSpacing, 0);
        cell.setTop(0);
        cell.setBottom(height());
        if (cell.contains(point))
            return star;
    }
    return 0;
}

QSize StarRating::sizeHint() const
{
    return QSizeF(5 * m_size + 4 * kSpacing, m_size).toSize();
}

void StarRating::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor empty = palette().color(QPalette::WindowText);
    empty.setAlphaF(0.3);
    static const QColor yellow(0xF5, 0xB7, 0x00);
    const QIcon filled = symbolIcon(QStringLiteral("star.fill"), yellow);
    const QIcon outline = symbolIcon(QStringLiteral("star"), empty);
    for (int star = 1; star <= 5; ++star) {
        const QRect target = starRect(star).toAlignedRect();
        (star <= m_rating ? filled : outline).paint(&painter, target);
    }
}

void StarRating::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        tapStar(starAt(event->position().toPoint()));
    QWidget::mouseReleaseEvent(event);
}

void StarRating::keyPressEvent(QKeyEvent *event)
{
    if (!m_editable)
        return QWidget::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Plus:
        increment();
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_Minus:
        decrement();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace vorla
