// A record's rating as five stars; when editable, a click on a star sets the rating (a
// click on the current rating clears it) and the arrow keys or accessibility actions step it.
#pragma once

#include <QWidget>

namespace vorla {

class StarRating : public QWidget
{
    Q_OBJECT

public:
    explicit StarRating(QWidget *parent = nullptr);

    int rating() const { return m_rating; }
    void setRating(int rating); // clamped to 0…5
    qreal starSize() const { return m_size; }
    void setStarSize(qreal size);
    bool isEditable() const { return m_editable; }
    void setEditable(bool editable);

    // What a tap on star i (1…5) does; nothing when read-only.
    void tapStar(int star);
    void increment();
    void decrement();
    // "<rating> of 5 stars"
    QString valueText() const;
    // The star (1…5) under a point of the widget, 0 when none.
    int starAt(const QPoint &point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // Emitted for changes made through the widget (clicks, keys, accessibility).
    void ratingEdited(int rating);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void edit(int rating);
    QRectF starRect(int star) const;

    int m_rating = 0;
    qreal m_size = 13;
    bool m_editable = false;
};

} // namespace vorla
