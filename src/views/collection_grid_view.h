// The cover grid: one tile per visible record in columns that adapt to the width (each at
// least the tile size and at most 1.35 times it), laid out and painted lazily so that only
// the tiles in view cost anything.
#pragma once

#include "views/record_actions.h"

#include <QAbstractItemView>
#include <QFont>
#include <QPersistentModelIndex>

#include <utility>

namespace vorla {

class CollectionModel;
class CollectionSelection;
class ModelContext;

// Column geometry of the grid for a viewport width.
struct GridGeometry {
    static constexpr int kPadding = 22;
    static constexpr int kColumnSpacing = 22;
    static constexpr int kRowSpacing = 26;
    // The ring and the hover shadow reach this far outside a tile.
    static constexpr int kTileOverhang = 12;

    int columns = 1;
    qreal tileWidth = 0;

    static GridGeometry forWidth(int viewportWidth, qreal tileSize);
};

class CollectionGridView : public QAbstractItemView
{
    Q_OBJECT
public:
    CollectionGridView(ModelContext *context, CollectionSelection *selection,
                       QWidget *parent = nullptr);

    void setCollectionModel(CollectionModel *model);
    void setActions(const RecordActions &actions) { m_actions = actions; }

    qreal tileSize() const { return m_tileSize; }
    void setTileSize(qreal size);
    GridGeometry geometry() const;
    int tileHeight() const;

    // The Delete command: asks to delete the visible selected records.
    void deleteSelection();

    // Also starts decoding the covers of the tiles in view, so the repaint that follows a
    // new list can show them instead of their placeholders.
    void reset() override;

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex &index, const QEvent *event = nullptr) const override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QRect tileRect(int row) const;
    // First and last row whose tile (with its ring and shadow) may reach into `rect`.
    std::pair<int, int> rowsIn(const QRect &rect) const;
    void updateLayoutCache() const;
    void setHovered(const QModelIndex &index);
    // Makes `index` current and the start of the next Shift range, leaving the selection.
    void moveAnchor(const QModelIndex &index);

    ModelContext *m_context;
    CollectionSelection *m_selection;
    CollectionModel *m_model = nullptr;
    RecordActions m_actions;
    qreal m_tileSize = 170;
    QPersistentModelIndex m_hovered;
    bool m_movingAnchor = false;
    struct LayoutCache {
        int width = -1;
        qreal tileSize = 0;
        QFont font;
        GridGeometry grid;
        int tileHeight = 0;
    };
    mutable LayoutCache m_layout;
};

} // namespace vorla
