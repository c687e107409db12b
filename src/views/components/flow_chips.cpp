#include "views/components/flow_chips.h"

#include "views/components/chip.h"
#include "views/components/flow_layout.h"

namespace vorla {

FlowChips::FlowChips(QWidget *parent)
    : QWidget(parent)
{
    new FlowLayout(6, this);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void FlowChips::setItems(const QList<ChipItem> &items)
{
    m_items = items;
    QLayout *flow = layout();
    while (QLayoutItem *item = flow->takeAt(0)) {
        if (QWidget *chip = item->widget()) {
            chip->hide();
            chip->deleteLater();
        }
        delete item;
    }
    for (const ChipItem &item : items)
        flow->addWidget(new Chip(item.text, item.systemImage, this));
    updateGeometry();
}

} // namespace vorla
