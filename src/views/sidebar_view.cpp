#include "views/sidebar_view.h"

#include "views/components/symbol_icon.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace vorla {

namespace {

// Rows with a count badge at the trailing edge; section headers in small bold text.
class SidebarDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QVariant count = index.data(SidebarView::CountRole);
        if (!count.isValid()) {
            QStyleOptionViewItem header = option;
            initStyleOption(&header, index);
            header.font.setBold(true);
            header.font.setPointSizeF(option.font.pointSizeF() * 0.85);
            QColor dim = option.palette.color(QPalette::Text);
            dim.setAlphaF(0.55);
            header.palette.setColor(QPalette::Text, dim);
            header.state &= ~(QStyle::State_Selected | QStyle::State_MouseOver);
            QStyledItemDelegate::paint(painter, header, index);
            return;
        }
        const QString badge = QString::number(count.toLongLong());
        QFont font = option.font;
        font.setPointSizeF(option.font.pointSizeF() * 0.85);
        const QFontMetrics metrics(font);
        const int badgeWidth = std::max(metrics.horizontalAdvance(badge) + 12, 22);
        const QRect badgeRect(option.rect.right() - badgeWidth - 6, option.rect.center().y() - metrics.height() / 2 - 1,
                              badgeWidth, metrics.height() + 2);

        // The highlight spans the whole row; only the title gives way to the badge.
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        const QStyle *style = row.widget ? row.widget->style() : QApplication::style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &row, row.widget);
        const int room = std::max(0, badgeRect.left() - 6 - textRect.left());
        row.text = row.fontMetrics.elidedText(row.text, row.textElideMode, room);
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, row.widget);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const bool selected = option.state & QStyle::State_Selected;
        QColor fill = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        fill.setAlphaF(selected ? 0.25 : 0.1);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(badgeRect, badgeRect.height() / 2.0, badgeRect.height() / 2.0);
        QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        text.setAlphaF(selected ? 1.0 : 0.65);
        painter->setPen(text);
        painter->setFont(font);
        painter->drawText(badgeRect, Qt::AlignCenter, badge);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), index.data(SidebarView::CountRole).isValid() ? 26 : 24));
        return size;
    }
};

} // namespace

SidebarView::SidebarView(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(8);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameShape(QFrame::NoFrame);
    setIconSize({16, 16});
    setUniformRowHeights(false);
    setItemDelegate(new SidebarDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAccessibleName(tr("Sidebar"));
    setBackgroundRole(QPalette::Window);
    viewport()->setBackgroundRole(QPalette::Window);
    connect(this, &QTreeWidget::currentItemChanged, this, &SidebarView::currentRowChanged);
    setCounts({});
}

QTreeWidgetItem *SidebarView::addSection(const QString &title)
{
    auto *section = new QTreeWidgetItem(this, {title});
    // Enabled, or its rows would be disabled with it; the mouse and key handlers pass it by.
    section->setFlags(Qt::ItemIsEnabled);
    section->setExpanded(true);
    return section;
}

void SidebarView::addRow(QTreeWidgetItem *section, const QString &title, const QString &symbol,
                         const SidebarItem &item, qsizetype count)
{
    auto *row = new QTreeWidgetItem(section, {title});
    auto icon = m_icons.find(symbol);
    if (icon == m_icons.end())
        icon = m_icons.insert(symbol, symbolIcon(symbol));
    row->setIcon(0, *icon);
    row->setData(0, ItemRole, QVariant::fromValue(item));
    row->setData(0, CountRole, qlonglong(count));
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren);
}

void SidebarView::setCounts(const SidebarCounts &counts)
{
    m_rebuilding = true;
    const int scroll = verticalScrollBar()->value();
    clear();
    QTreeWidgetItem *library = addSection(tr("Library"));
    addRow(library, QStringLiteral("All Records"), QStringLiteral("square.stack"), SidebarItem::all(), counts.all);
    addRow(library, QStringLiteral("Favorites"), QStringLiteral("heart"), SidebarItem::favorites(), counts.favorites);
    addRow(library, QStringLiteral("Recently Added"), QStringLiteral("clock"), SidebarItem::recent(), counts.recent);
    addRow(library, QStringLiteral("Not Graded"), QStringLiteral("questionmark.circle"), SidebarItem::ungraded(),
           counts.ungraded);
    if (!counts.genres.isEmpty()) {
        QTreeWidgetItem *genres = addSection(tr("Genres"));
        for (const auto &[genre, count] : counts.genres)
            addRow(genres, genre, QStringLiteral("music.note"), SidebarItem::ofGenre(genre), count);
    }
    if (!counts.decades.isEmpty()) {
        QTreeWidgetItem *decades = addSection(tr("Decades"));
        for (const auto &[decade, count] : counts.decades)
            addRow(decades, decadeTitle(decade), QStringLiteral("calendar"), SidebarItem::ofDecade(decade), count);
    }
    expandAll();
    highlightChoice();
    verticalScrollBar()->setValue(scroll);
    m_rebuilding = false;
}

void SidebarView::setChoice(const std::optional<SidebarItem> &choice)
{
    if (choice == m_choice)
        return;
    m_choice = choice;
    m_rebuilding = true;
    highlightChoice();
    m_rebuilding = false;
}

QTreeWidgetItem *SidebarView::rowFor(const SidebarItem &item) const
{
    for (int s = 0; s < topLevelItemCount(); ++s) {
        QTreeWidgetItem *section = topLevelItem(s);
        for (int r = 0; r < section->childCount(); ++r) {
            if (section->child(r)->data(0, ItemRole).value<SidebarItem>() == item)
                return section->child(r);
        }
    }
    return nullptr;
}

QStringList SidebarView::sectionTitles() const
{
    QStringList titles;
    for (int s = 0; s < topLevelItemCount(); ++s)
        titles.append(topLevelItem(s)->text(0));
    return titles;
}

bool SidebarView::isHeader(const QModelIndex &index) const
{
    return index.isValid() && !index.parent().isValid();
}

QModelIndex SidebarView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex start = currentIndex();
    QModelIndex next = QTreeWidget::moveCursor(cursorAction, modifiers);
    // A header is stepped over in the direction of travel; Left (to the parent) stays put.
    const bool up = cursorAction == MoveUp || cursorAction == MovePrevious;
    const bool sideways = cursorAction == MoveLeft || cursorAction == MoveRight;
    while (isHeader(next)) {
        if (sideways)
            return start;
        next = up ? indexAbove(next) : indexBelow(next);
    }
    return next.isValid() ? next : start;
}

QItemSelectionModel::SelectionFlags SidebarView::selectionCommand(const QModelIndex &index,
                                                                  const QEvent *event) const
{
    if (isHeader(index))
        return QItemSelectionModel::NoUpdate;
    return QTreeWidget::selectionCommand(index, event);
}

void SidebarView::keyboardSearch(const QString &search)
{
    // Typing a header's first letters leaves the current row where it was.
    const QPersistentModelIndex before = currentIndex();
    QTreeWidget::keyboardSearch(search);
    if (isHeader(currentIndex()))
        setCurrentIndex(before);
}

void SidebarView::mousePressEvent(QMouseEvent *event)
{
    // A header is never made current, so the highlight stays on the choice.
    if (isHeader(indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void SidebarView::mouseMoveEvent(QMouseEvent *event)
{
    // A drag over a header would make it current.
    if (event->buttons() != Qt::NoButton && isHeader(indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void SidebarView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (isHeader(indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void SidebarView::highlightChoice()
{
    QTreeWidgetItem *row = rowFor(m_choice.value_or(SidebarItem::all()));
    if (row) {
        setCurrentItem(row);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
}

void SidebarView::currentRowChanged()
{
    if (m_rebuilding)
        return;
    QTreeWidgetItem *row = currentItem();
    if (!row || !row->data(0, ItemRole).isValid())
        return;
    const SidebarItem item = row->data(0, ItemRole).value<SidebarItem>();
    if (m_choice == item)
        return;
    m_choice = item;
    emit choiceChanged(item);
}

} // namespace vorla
