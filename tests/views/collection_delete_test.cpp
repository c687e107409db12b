// Deleting records through the collection operations: what leaves the selection and the
// context, and how often the views are told.
#include "views/collection_operations.h"
#include "views/browsing_state.h"

#include "views/collection_dialogs.h"
#include "views/collection_model.h"
#include "views/collection_selection.h"

#include "models/model_context.h"
#include "models/record.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vorla;

TEST(CollectionDelete, ABatchLeavesTheSelectionInOneChange)
{
    ModelContext context;
    CollectionModel model(&context);
    BrowsingState state(&context);
    CollectionSelection selection(&model, &state);
    CollectionDialogs dialogs;
    CollectionOperations operations(&context, &selection, &dialogs, nullptr);
    QList<Record *> records;
    for (int i = 0; i < 6; ++i) {
        auto record = std::make_unique<Record>();
        record->setTitle(QString::number(i));
        records.append(context.insert(std::move(record)));
    }
    context.save();
    // Record 5 is selected but hidden by the filter; record 4 stays selected.
    model.setRecords(records.mid(0, 5));
    selection.setIds({records[0]->id(), records[1]->id(), records[2]->id(), records[4]->id(), records[5]->id()});
    const QUuid kept = records[4]->id();
    const QList<QUuid> doomed = {records[0]->id(), records[1]->id(), records[2]->id(), records[3]->id(),
                                 records[5]->id()};

    QSignalSpy changes(&selection, &CollectionSelection::changed);
    QSignalSpy deleted(&operations, &CollectionOperations::recordsDeleted);
    operations.deleteRecords(doomed);

    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(selection.ids(), QSet<QUuid>{kept});
    ASSERT_EQ(deleted.count(), 1);
    EXPECT_EQ(deleted.at(0).at(0).value<QList<QUuid>>(), doomed);
    ASSERT_EQ(context.records().size(), 1);
    EXPECT_EQ(context.records().front()->id(), kept);
    EXPECT_FALSE(context.hasChanges()); // saved at once

    // The last selected record goes; an id the context does not hold changes nothing.
    operations.deleteRecords({kept});
    EXPECT_EQ(changes.count(), 2);
    EXPECT_TRUE(selection.ids().isEmpty());
    operations.deleteRecords({QUuid::createUuid()});
    EXPECT_EQ(changes.count(), 2);
}
