// A wrapping row of chips, each a text with an optional symbol; two chips with the same
// text are still two chips.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

namespace vorla {

struct ChipItem
{
    QString text;
    QString systemImage; // empty: no symbol
};

class FlowChips : public QWidget
{
    Q_OBJECT

public:
    explicit FlowChips(QWidget *parent = nullptr);

    void setItems(const QList<ChipItem> &items);
    QList<ChipItem> items() const { return m_items; }

private:
    QList<ChipItem> m_items;
};

} // namespace vorla
