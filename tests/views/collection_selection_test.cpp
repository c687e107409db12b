#include "views/collection_selection.h"
#include "views/browsing_state.h"

#include "views/collection_model.h"

#include "models/model_context.h"
#include "models/record.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

struct Fixture {
    ModelContext context;
    CollectionModel model{&context};
    BrowsingState state{&context};
    CollectionSelection selection{&model, &state};
    QList<Record *> records;

    Fixture()
    {
        for (int i = 0; i < 4; ++i) {
            auto record = std::make_unique<Record>();
            record->setTitle(QString::number(i));
            records.append(context.insert(std::move(record)));
        }
        model.setRecords(records);
    }
    QUuid id(int i) const { return records[i]->id(); }
};

} // namespace

TEST(CollectionSelection, HiddenRecordsStaySelectedButOnlyVisibleOnesAreActedOn)
{
    Fixture f;
    f.selection.setIds({f.id(0), f.id(2), f.id(3)});
    EXPECT_TRUE(f.selection.itemSelection()->isRowSelected(2));
    // The filter hides record 2.
    f.model.setRecords({f.records[0], f.records[1], f.records[3]});
    EXPECT_TRUE(f.selection.contains(f.id(2)));
    EXPECT_EQ(f.selection.visibleIds(), (QList<QUuid>{f.id(0), f.id(3)}));
    EXPECT_TRUE(f.selection.itemSelection()->isRowSelected(0));
    EXPECT_FALSE(f.selection.itemSelection()->isRowSelected(1));
    EXPECT_TRUE(f.selection.itemSelection()->isRowSelected(2)); // row 2 now shows record 3

    // A menu on a selected record acts on the visible selection in display order; on an
    // unselected record on that record alone.
    EXPECT_EQ(f.selection.menuTargets(f.id(3)), (QList<QUuid>{f.id(0), f.id(3)}));
    EXPECT_EQ(f.selection.menuTargets(f.id(1)), (QList<QUuid>{f.id(1)}));

    // Showing it again brings its selection back.
    f.model.setRecords(f.records);
    EXPECT_TRUE(f.selection.itemSelection()->isRowSelected(2));
}

TEST(CollectionSelection, ItemLevelChangesKeepHiddenIds)
{
    Fixture f;
    f.selection.setIds({f.id(0), f.id(3)});
    f.model.setRecords({f.records[0], f.records[1], f.records[2]});
    QSignalSpy changed(&f.selection, &CollectionSelection::changed);
    // As the keyboard does: the current row moves and becomes the only selected row.
    f.selection.itemSelection()->select(f.model.index(1, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(f.selection.ids(), (QSet<QUuid>{f.id(1), f.id(3)}));

    f.selection.toggle(f.id(1));
    EXPECT_EQ(f.selection.ids(), (QSet<QUuid>{f.id(3)}));
    f.selection.remove(f.id(3));
    EXPECT_TRUE(f.selection.ids().isEmpty());
    EXPECT_FALSE(f.selection.itemSelection()->hasSelection());
}
