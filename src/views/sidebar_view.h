// The sidebar: the whole library as a source list with counts, in the sections "Library",
// "Genres" and "Decades". Picking a row makes it the window's sidebar choice.
#pragma once

#include "views/collection_filter.h"
#include "views/sidebar_item.h"

#include <QHash>
#include <QIcon>
#include <QTreeWidget>

#include <optional>

namespace vorla {

class SidebarView : public QTreeWidget
{
    Q_OBJECT
public:
    enum Role { ItemRole = Qt::UserRole + 1, CountRole };

    explicit SidebarView(QWidget *parent = nullptr);

    // Rebuilds the rows from the library's counts; the choice stays highlighted while its
    // row exists.
    void setCounts(const SidebarCounts &counts);

    std::optional<SidebarItem> choice() const { return m_choice; }
    void setChoice(const std::optional<SidebarItem> &choice);

    // The row of an item, or null when the sidebar has none (a genre whose last record went).
    QTreeWidgetItem *rowFor(const SidebarItem &item) const;
    // Section headers in order, and the titles and counts of a section's rows (for tests
    // and accessibility).
    QStringList sectionTitles() const;

    QSize sizeHint() const override { return {220, 400}; }

signals:
    // The user picked a row.
    void choiceChanged(const SidebarItem &item);

protected:
    // Section headers take no part in choosing: no click, no current row, no arrow key
    // stops on them.
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex &index, const QEvent *event = nullptr) const override;
    void keyboardSearch(const QString &search) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool isHeader(const QModelIndex &index) const;
    QTreeWidgetItem *addSection(const QString &title);
    void addRow(QTreeWidgetItem *section, const QString &title, const QString &symbol,
                const SidebarItem &item, qsizetype count);
    void highlightChoice();
    void currentRowChanged();

    std::optional<SidebarItem> m_choice = SidebarItem::all();
    bool m_rebuilding = false;
    // One icon per symbol, kept across rebuilds: each keeps its rendered pictures, which a
    // new icon would render from its drawing again on the next paint.
    QHash<QString, QIcon> m_icons;
};

} // namespace vorla
