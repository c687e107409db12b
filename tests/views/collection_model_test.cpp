#include "views/collection_model.h"

#include "models/model_context.h"
#include "models/record.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

Record *addRecord(ModelContext &context, const QString &title, const QString &artist = {})
{
    auto record = std::make_unique<Record>();
    record->setTitle(title);
    record->setArtist(artist);
    return context.insert(std::move(record));
}

QString cell(const CollectionModel &model, int row, int column, int role = Qt::DisplayRole)
{
    return model.data(model.index(row, column), role).toString();
}

} // namespace

TEST(CollectionModel, PassesTheItemModelTesterThroughChanges)
{
    ModelContext context;
    CollectionModel model(&context);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    Record *a = addRecord(context, QStringLiteral("A"));
    Record *b = addRecord(context, QStringLiteral("B"));
    Record *c = addRecord(context, QStringLiteral("C"));
    model.setRecords({a, b, c});
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), CollectionModel::kColumns);
    model.setRecords({c, a});
    EXPECT_EQ(model.rowOf(c->id()), 0);
    EXPECT_EQ(model.rowOf(b->id()), -1);
    a->setTitle(QStringLiteral("A2"));
    model.refreshRecords({a->id(), b->id()});
    // A record removed from the context leaves its row at once.
    context.remove(a->id());
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.recordAt(1), nullptr);
    EXPECT_FALSE(model.data(model.index(1, CollectionModel::title)).isValid());
    model.setRecords({});
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(CollectionModel, UnchangedRowsAreNotResetAndEditsAnnounceTheirRowOnly)
{
    ModelContext context;
    CollectionModel model(&context);
    Record *a = addRecord(context, QStringLiteral("A"));
    Record *b = addRecord(context, QStringLiteral("B"));
    Record *hidden = addRecord(context, QStringLiteral("Hidden"));
    model.setRecords({a, b});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    model.setRecords({a, b});
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(changes.count(), 0);

    b->setIsFavorite(true);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).value<QModelIndex>(), model.index(1, 0));
    EXPECT_EQ(changes.at(0).at(1).value<QModelIndex>(), model.index(1, CollectionModel::kColumns - 1));
    hidden->setTitle(QStringLiteral("Still hidden")); // no row shows it
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(resets.count(), 0);
}

TEST(CollectionModel, RemovedRecordsLeaveTheirRowsInOneResetAndTheRestNeedsNoOther)
{
    ModelContext context;
    CollectionModel model(&context);
    Record *a = addRecord(context, QStringLiteral("A"));
    Record *b = addRecord(context, QStringLiteral("B"));
    Record *c = addRecord(context, QStringLiteral("C"));
    Record *d = addRecord(context, QStringLiteral("D"));
    Record *hidden = addRecord(context, QStringLiteral("Hidden"));
    model.setRecords({d, a, c, b});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    context.remove(hidden->id()); // no row shows it
    EXPECT_EQ(resets.count(), 0);
    context.remove(QList<QUuid>{d->id(), c->id()});
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.ids(), (QList<QUuid>{a->id(), b->id()}));
    EXPECT_EQ(model.rowOf(b->id()), 1);
    EXPECT_EQ(cell(model, 0, CollectionModel::title), QStringLiteral("A"));
    model.setRecords({a, b});
    EXPECT_EQ(resets.count(), 1);
}

TEST(CollectionModel, CellsShowStoredTextsVerbatim)
{
    ModelContext context;
    CollectionModel model(&context);
    Record *empty = addRecord(context, {});
    Record *full = addRecord(context, QStringLiteral("  Kind of Blue"), QStringLiteral("Miles Davis"));
    full->setYear(1959);
    full->setLabel(QStringLiteral("Columbia"));
    full->setCatalogNumber(QStringLiteral("CL 1355"));
    full->setFormat(QStringLiteral("Vinyl, LP"));
    full->setMediaConditionRaw(QStringLiteral("VG+"));
    full->setSleeveConditionRaw(QStringLiteral("Mint"));
    full->setRating(4);
    full->setIsFavorite(true);
    model.setRecords({empty, full});

    for (int column : {CollectionModel::artist, CollectionModel::title, CollectionModel::year,
                       CollectionModel::label, CollectionModel::catalogNumber, CollectionModel::format}) {
        SCOPED_TRACE(column);
        EXPECT_EQ(cell(model, 0, column), QString());
    }
    EXPECT_EQ(cell(model, 0, CollectionModel::condition), QStringLiteral("\u2014 / \u2014"));
    EXPECT_EQ(cell(model, 0, 0, CollectionModel::TitleRole), QStringLiteral("Untitled"));
    EXPECT_EQ(cell(model, 0, 0, CollectionModel::ArtistRole), QStringLiteral("Unknown Artist"));
    EXPECT_EQ(cell(model, 0, 0, CollectionModel::YearTextRole), QString());
    EXPECT_EQ(cell(model, 0, 0, CollectionModel::GradeTextRole), QString());

    EXPECT_EQ(cell(model, 1, CollectionModel::title), QStringLiteral("  Kind of Blue"));
    EXPECT_EQ(cell(model, 1, 0, CollectionModel::TitleRole), QStringLiteral("  Kind of Blue"));
    EXPECT_EQ(cell(model, 1, CollectionModel::year), QStringLiteral("1959"));
    EXPECT_EQ(cell(model, 1, CollectionModel::catalogNumber), QStringLiteral("CL 1355"));
    // An unknown stored grade shows as not graded.
    EXPECT_EQ(cell(model, 1, CollectionModel::condition), QStringLiteral("VG+ / \u2014"));
    EXPECT_EQ(cell(model, 1, 0, CollectionModel::GradeTextRole), QStringLiteral("VG+"));
    EXPECT_EQ(cell(model, 1, CollectionModel::rating, Qt::AccessibleTextRole), QStringLiteral("4 of 5 stars"));
    EXPECT_TRUE(model.data(model.index(1, 0), CollectionModel::FavoriteRole).toBool());
    EXPECT_EQ(cell(model, 1, 0, CollectionModel::SeedRole), QStringLiteral("Miles Davis  Kind of Blue"));
    EXPECT_FALSE(cell(model, 1, CollectionModel::added).isEmpty());
}

TEST(CollectionModel, HeadersAndTheirSortKeys)
{
    ModelContext context;
    CollectionModel model(&context);
    const struct {
        int column;
        const char *title;
        std::optional<SortKey> key;
    } cases[] = {
        {CollectionModel::cover, "", std::nullopt},
        {CollectionModel::artist, "Artist", SortKey::artist},
        {CollectionModel::title, "Title", SortKey::title},
        {CollectionModel::year, "Year", SortKey::year},
        {CollectionModel::label, "Label", SortKey::label},
        {CollectionModel::catalogNumber, "Cat #", std::nullopt},
        {CollectionModel::format, "Format", std::nullopt},
        {CollectionModel::condition, "Condition", std::nullopt},
        {CollectionModel::rating, "Rating", SortKey::rating},
        {CollectionModel::added, "Added", SortKey::dateAdded},
    };
    QSignalSpy requests(&model, &CollectionModel::sortRequested);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(model.headerData(c.column, Qt::Horizontal).toString(), QString::fromUtf8(c.title));
        EXPECT_EQ(CollectionModel::sortKeyForColumn(c.column), c.key);
        if (c.key) {
            EXPECT_EQ(CollectionModel::columnForSortKey(*c.key), c.column);
        }
        requests.clear();
        model.sort(c.column, Qt::DescendingOrder);
        ASSERT_EQ(requests.count(), c.key ? 1 : 0);
        if (c.key) {
            EXPECT_EQ(requests[0][0].value<SortKey>(), *c.key);
            EXPECT_FALSE(requests[0][1].toBool());
        }
    }
}

TEST(CollectionModel, ToolTipsHoldTheWholeText)
{
    ModelContext context;
    auto owned = std::make_unique<Record>();
    owned->setTitle(QStringLiteral("A Title Long Enough To Be Cut In A Narrow Column"));
    owned->setArtist(QStringLiteral("Someone"));
    Record *record = context.insert(std::move(owned));
    CollectionModel model(&context);
    model.setRecords({ record });
    EXPECT_EQ(model.index(0, CollectionModel::title).data(Qt::ToolTipRole).toString(), record->title());
    EXPECT_EQ(model.index(0, CollectionModel::cover).data(Qt::ToolTipRole).toString(),
        record->title() + QStringLiteral("\nSomeone"));
    EXPECT_FALSE(model.index(0, CollectionModel::year).data(Qt::ToolTipRole).isValid());
}
