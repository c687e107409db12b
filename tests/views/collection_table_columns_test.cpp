#include "views/collection_table_view.h"

#include "models/model_context.h"
#include "views/collection_model.h"
#include "views/collection_selection.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

struct Table {
    ModelContext context;
    CollectionModel model{&context};
    CollectionSelection selection{&model};
    CollectionTableView view{&context, &selection};

    Table() { view.setCollectionModel(&model); }

    void showAt(int width)
    {
        view.resize(width, 400);
        view.show();
        QApplication::processEvents();
    }
    int size(int column) const { return view.horizontalHeader()->sectionSize(column); }
    int total() const
    {
        int sum = 0;
        for (int column = 0; column < CollectionModel::kColumns; ++column)
            sum += size(column);
        return sum;
    }
};

} // namespace

TEST(CollectionTableColumns, ShareTheWidthBetweenMinimumAndIdeal)
{
    const struct { int width; int artist; int title; bool scrolls; } cases[] = {
        // Narrower than every minimum together: minimums, and the view scrolls sideways.
        {600, 120, 140, true},
        // Between: each flexible column between its minimum and its ideal, no gap, no scroll.
        {960, 150, 180, false},
        // Wider than every ideal together: the flexible columns grow and fill the row.
        {1400, 0, 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width);
        Table table;
        table.showAt(c.width);
        const int viewport = table.view.viewport()->width();
        EXPECT_EQ(table.size(0), 36);
        EXPECT_EQ(table.size(3), 50);
        EXPECT_EQ(table.size(9), 90);
        if (c.scrolls) {
            EXPECT_EQ(table.size(1), c.artist);
            EXPECT_EQ(table.size(2), c.title);
            EXPECT_GT(table.total(), viewport);
        } else {
            EXPECT_EQ(table.total(), viewport);
            EXPECT_GE(table.size(1), 120);
            EXPECT_GE(table.size(2), 140);
            if (c.artist) {
                EXPECT_LE(table.size(1), 180);
                EXPECT_LE(table.size(2), 220);
            } else {
                EXPECT_GT(table.size(1), 180);
                EXPECT_GT(table.size(2), 220);
            }
        }
    }
}

TEST(CollectionTableColumns, DraggedWidthIsKeptWhenTheViewResizes)
{
    Table table;
    table.showAt(1000);
    table.view.horizontalHeader()->resizeSection(1, 300);
    table.showAt(1200);
    EXPECT_EQ(table.size(1), 300);
    EXPECT_EQ(table.total(), table.view.viewport()->width());
}
