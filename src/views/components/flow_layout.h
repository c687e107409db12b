// Lays items out left to right at their preferred sizes and starts a new row when the next
// item would pass the available width, like words in a paragraph.
#pragma once

#include <QLayout>
#include <QList>
#include <QPoint>
#include <QSize>

#include <limits>

namespace vorla {

class FlowLayout : public QLayout
{
    Q_OBJECT

public:
    explicit FlowLayout(int spacing, QWidget *parent = nullptr);
    ~FlowLayout() override;

    struct Arrangement
    {
        QList<QPoint> points;
        QSize size;
    };
    // The one layout computation. An item that begins a row is never moved, even when it
    // is wider than `width`; an item that exactly reaches the width stays in its row.
    static Arrangement arrange(const QList<QSize> &sizes, int width, int spacing);
    static constexpr int unlimitedWidth = std::numeric_limits<int>::max();

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    QList<QSize> itemSizes() const;
    QMargins margins() const { return contentsMargins(); }

    QList<QLayoutItem *> m_items;
};

} // namespace vorla
