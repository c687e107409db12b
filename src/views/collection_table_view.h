// The list presentation of the collection: one row per visible record with ten columns,
// multiple selection, sorting by clicking a column header (the order lives in the sort
// setting, the table only shows it), edit on double click or Return, the record context menu
// and the Delete command.
#pragma once

#include "models/sort_key.h"
#include "views/record_actions.h"

#include <QSet>
#include <QTableView>
#include <QTimer>
#include <QUuid>

namespace vorla {

class CollectionModel;
class CollectionSelection;
class ModelContext;

class CollectionTableView : public QTableView
{
    Q_OBJECT
public:
    CollectionTableView(ModelContext *context, CollectionSelection *selection,
                        QWidget *parent = nullptr);

    void setCollectionModel(CollectionModel *model);
    void setActions(const RecordActions &actions) { m_actions = actions; }
    // Shows the stored sort in the header.
    void showSort(SortKey key, bool ascending);

    void deleteSelection();

signals:
    // A sortable header was clicked: the order the user asks for.
    void sortRequested(SortKey key, bool ascending);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex &index, const QEvent *event = nullptr) const override;

private:
    void headerClicked(int section);
    void fitColumns();
    void collapseSelection();
    // Makes `index` current and the start of the next Shift range, leaving the selection.
    void moveAnchor(const QModelIndex &index);
    // The records a click on `row` acts on: the visible selection when the row is part of
    // it, else the row alone.
    QList<QUuid> clickTargets(int row) const;

    ModelContext *m_context;
    CollectionSelection *m_selection;
    CollectionModel *m_model = nullptr;
    RecordActions m_actions;
    SortKey m_sortKey = SortKey::artist;
    bool m_sortAscending = true;
    // A plain click on a row of a multi-selection narrows the selection only once it is
    // clear that no double click follows.
    QTimer m_collapseTimer;
    QUuid m_collapseTo;
    bool m_ignoreRelease = false;
    bool m_pressedToBase = false;
    // Columns whose width the user dragged; the others follow the view's width.
    QSet<int> m_draggedColumns;
    bool m_fitting = false;
    bool m_movingAnchor = false;
};

} // namespace vorla
