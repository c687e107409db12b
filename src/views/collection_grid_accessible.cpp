#include "views/collection_grid_accessible.h"

#include "views/collection_grid_view.h"
#include "views/collection_model.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace vorla {

namespace {

// One tile: the record's title and artist as its name, year, grade and stars as its
// description, selected like the tile.
class TileAccessible : public QAccessibleInterface
{
public:
    TileAccessible(CollectionGridView *view, const QModelIndex &index)
        : m_view(view)
        , m_index(index)
    { }

    QModelIndex index() const { return m_index; }

    bool isValid() const override { return m_view && m_index.isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString &) override { }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name) {
            return m_index.data(CollectionModel::TitleRole).toString() + u", "_s
                + m_index.data(CollectionModel::ArtistRole).toString();
        }
        if (t == QAccessible::Description) {
            QStringList parts;
            parts << m_index.data(CollectionModel::YearTextRole).toString()
                  << m_index.data(CollectionModel::GradeTextRole).toString();
            if (m_index.data(CollectionModel::RatingRole).toInt() >= 1)
                parts << QModelIndex(m_index).siblingAtColumn(CollectionModel::rating).data(Qt::AccessibleTextRole).toString();
            parts.removeAll(QString());
            return parts.join(u", "_s);
        }
        return {};
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect tile = m_view->visualRect(m_index);
        return { m_view->viewport()->mapToGlobal(tile.topLeft()), tile.size() };
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = m_view->selectionModel() && m_view->selectionModel()->isSelected(m_index);
        state.focused = m_view->hasFocus() && m_view->currentIndex() == m_index;
        state.invisible = !m_view->viewport()->rect().intersects(m_view->visualRect(m_index));
        state.offscreen = state.invisible;
        return state;
    }

private:
    QPointer<CollectionGridView> m_view;
    QPersistentModelIndex m_index;
};

// The grid as a list of its tiles (the scroll bar is not one of them).
class GridAccessible : public QAccessibleWidget
{
public:
    explicit GridAccessible(CollectionGridView *view)
        : QAccessibleWidget(view, QAccessible::List)
    { }

    ~GridAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(m_tiles))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override
    {
        const QAbstractItemModel *model = grid()->model();
        return model ? model->rowCount() : 0;
    }

    QAccessibleInterface *child(int row) const override
    {
        const QAbstractItemModel *model = grid()->model();
        if (!model || row < 0 || row >= model->rowCount())
            return nullptr;
        const QModelIndex index = model->index(row, 0);
        // One interface per record while it stays in its row, so that screen readers can
        // hold on to it.
        const QUuid id = index.data(CollectionModel::IdRole).toUuid();
        if (const auto it = m_tiles.constFind(id); it != m_tiles.cend()) {
            auto *tile = static_cast<TileAccessible *>(QAccessible::accessibleInterface(*it));
            if (tile && tile->isValid() && tile->index() == index)
                return tile;
            QAccessible::deleteAccessibleInterface(*it);
        }
        auto *tile = new TileAccessible(grid(), index);
        m_tiles.insert(id, QAccessible::registerAccessibleInterface(tile));
        return tile;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it) {
            if (QAccessible::accessibleInterface(*it) == child) {
                const auto *tile = static_cast<const TileAccessible *>(child);
                return tile->isValid() ? tile->index().row() : -1;
            }
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QModelIndex index = grid()->indexAt(grid()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }

private:
    CollectionGridView *grid() const { return static_cast<CollectionGridView *>(widget()); }

    mutable QHash<QUuid, QAccessible::Id> m_tiles;
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("vorla::CollectionGridView") && object && object->isWidgetType())
        return new GridAccessible(static_cast<CollectionGridView *>(object));
    return nullptr;
}

} // namespace

void installCollectionGridAccessibility()
{
    static const bool installed = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(installed);
}

} // namespace vorla
