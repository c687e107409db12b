#include "models/model_context.h"
#include "models/record.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorla;

TEST(ModelContext, InsertLookUpAndRemove)
{
    ModelContext context;
    QSignalSpy inserted(&context, &ModelContext::recordsInserted);
    QSignalSpy removed(&context, &ModelContext::recordsRemoved);
    auto owned = std::make_unique<Record>();
    const QUuid id = owned->id();
    Record *record = context.insert(std::move(owned));
    ASSERT_EQ(record, context.record(id));
    EXPECT_EQ(record->context(), &context);
    EXPECT_EQ(context.records(), QList<Record *>{record});
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(0).value<QList<QUuid>>(), QList<QUuid>{id});
    EXPECT_TRUE(context.hasChanges());
    context.save();
    EXPECT_FALSE(context.hasChanges());

    context.remove(QList<QUuid>{QUuid::createUuid(), id, id});
    EXPECT_EQ(context.record(id), nullptr);
    EXPECT_TRUE(context.records().isEmpty());
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(0).value<QList<QUuid>>(), QList<QUuid>{id});
    context.remove(id);
    EXPECT_EQ(removed.count(), 1);
}

TEST(ModelContext, SettersSignalOnlyRealChanges)
{
    ModelContext context;
    Record *record = context.insert(std::make_unique<Record>());
    context.save();
    QSignalSpy changed(&context, &ModelContext::recordsChanged);
    record->setTitle(QStringLiteral("A"));
    record->setTitle(QStringLiteral("A"));
    record->setYear(std::nullopt);
    record->setRating(0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QList<QUuid>>(), QList<QUuid>{record->id()});
    EXPECT_TRUE(context.hasChanges());
}

TEST(ModelContext, AutosavesAfterEdits)
{
    ModelContext context;
    Record *record = context.insert(std::make_unique<Record>());
    context.save();
    record->setNotes(QStringLiteral("edited"));
    EXPECT_TRUE(context.hasChanges());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !context.hasChanges(); },
                                ModelContext::kAutosaveDelayMs * 5));
}
