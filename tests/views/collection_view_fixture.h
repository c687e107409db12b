// What the collection view tests share: a few records shown through the model and the
// shared selection, the record actions written down instead of carried out, and ways to
// drive a view by mouse and to read the context menu it opens.
#pragma once

#include "views/collection_model.h"
#include "views/browsing_state.h"
#include "views/collection_selection.h"
#include "views/record_actions.h"

#include "models/model_context.h"
#include "models/record.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace vorla::test {

// What the views asked the main window to do.
struct RecordedActions
{
    QList<QUuid> edited;
    QList<QUuid> deleted;
    QList<QUuid> refreshed;

    RecordActions actions()
    {
        return { [this](const QUuid &id) { edited.append(id); },
            [this](const QList<QUuid> &ids) { deleted = ids; },
            [this](const QList<QUuid> &ids) { refreshed = ids; } };
    }
};

inline QStringList menuTexts(const QMenu &menu)
{
    QStringList texts;
    for (const QAction *action : menu.actions())
        texts.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    return texts;
}

// Records "Record 0" … "Record n-1", shown in that order.
struct CollectionFixture
{
    ModelContext context;
    CollectionModel model { &context };
    BrowsingState state { &context };
    CollectionSelection selection { &model, &state };
    QList<Record *> records;
    RecordedActions calls;

    explicit CollectionFixture(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto record = std::make_unique<Record>();
            record->setTitle(QStringLiteral("Record %1").arg(i));
            records.append(context.insert(std::move(record)));
        }
        model.setRecords(records);
    }
    QUuid id(int i) const { return records[i]->id(); }
    QSet<QUuid> ids(std::initializer_list<int> rows) const
    {
        QSet<QUuid> result;
        for (int row : rows)
            result.insert(id(row));
        return result;
    }
    // Which of the records are selected, by their index.
    QList<int> selected() const
    {
        QList<int> result;
        for (int i = 0; i < records.size(); ++i) {
            if (selection.contains(id(i)))
                result.append(i);
        }
        return result;
    }
    QList<QUuid> idList(std::initializer_list<int> rows) const
    {
        QList<QUuid> result;
        for (int row : rows)
            result.append(id(row));
        return result;
    }
};

// A double click as the window system delivers it to a widget.
inline void doubleClick(QWidget *widget, QPoint pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

// A right click at `pos`: the press and release, then the context menu request. Returns the
// texts of the menu shown (empty when none) and chooses the item `choose` when given.
inline QStringList rightClick(QAbstractItemView &view, QPoint pos, const QString &choose = {})
{
    QWidget *viewport = view.viewport();
    QTest::mousePress(viewport, Qt::RightButton, {}, pos);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, pos);
    QStringList texts;
    // The menu runs its own event loop: read it from there, then close it.
    QTimer::singleShot(0, &view, [&texts, choose] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        texts = menuTexts(*menu);
        for (QAction *action : menu->actions()) {
            if (!choose.isEmpty() && action->text() == choose)
                action->trigger();
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QApplication::sendEvent(viewport, &event);
    QCoreApplication::processEvents();
    return texts;
}

// The menu of a right click acts on the clicked record alone, or on every selected record
// the view shows (in display order) when the clicked one is selected; it never changes the
// selection. `at` gives the point of a row, `below` a point under the last one.
inline void expectMenusActOnTheRightRecords(QAbstractItemView &view, CollectionFixture &f,
    const std::function<QPoint(int row)> &at, QPoint below)
{
    f.selection.setIds(f.ids({ 0, 1, 3 }));
    EXPECT_EQ(rightClick(view, at(2), QStringLiteral("Delete…")).value(0), QStringLiteral("Edit…"));
    EXPECT_EQ(f.calls.deleted, f.idList({ 2 }));
    EXPECT_EQ(f.selected(), (QList<int> { 0, 1, 3 }));

    rightClick(view, at(3), QStringLiteral("Refresh Metadata"));
    EXPECT_EQ(f.calls.refreshed, f.idList({ 0, 1, 3 }));
    // A search hides record 1: it stays selected, but the menu leaves it out.
    f.model.setRecords({ f.records[0], f.records[2], f.records[3] });
    EXPECT_EQ(rightClick(view, at(2), QStringLiteral("Delete 2 Records…")),
        (QStringList { u"Add to Favorites"_s, u"Refresh Metadata"_s, u"---"_s, u"Delete 2 Records…"_s }));
    EXPECT_EQ(f.calls.deleted, f.idList({ 0, 3 }));
    EXPECT_EQ(f.selected(), (QList<int> { 0, 1, 3 }));

    EXPECT_TRUE(rightClick(view, below).isEmpty());
    EXPECT_EQ(f.selected(), (QList<int> { 0, 1, 3 }));
    f.model.setRecords(f.records);
}

} // namespace vorla::test
