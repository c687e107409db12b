#include "core/pointer_set.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vorla {
namespace {

TEST(PointerSet, HoldsWhatWasInsertedAcrossGrowthAndNothingElse)
{
    std::vector<std::unique_ptr<int>> objects;
    for (int i = 0; i < 5000; ++i)
        objects.push_back(std::make_unique<int>(i));
    PointerSet set;
    for (std::size_t i = 0; i < objects.size(); i += 2)
        set.insert(objects[i].get());
    set.insert(objects[0].get()); // again
    EXPECT_EQ(set.size(), 2500);
    for (std::size_t i = 0; i < objects.size(); ++i)
        ASSERT_EQ(set.contains(objects[i].get()), i % 2 == 0) << i;
}

TEST(PointerSet, UnionHoldsTheMembersOfBothOnce)
{
    std::vector<std::unique_ptr<int>> objects;
    for (int i = 0; i < 300; ++i)
        objects.push_back(std::make_unique<int>(i));
    PointerSet first;
    PointerSet second;
    for (std::size_t i = 0; i < 200; ++i)
        first.insert(objects[i].get());
    for (std::size_t i = 100; i < 250; ++i)
        second.insert(objects[i].get());
    first.unite(second);
    first.unite(PointerSet());
    EXPECT_EQ(first.size(), 250);
    for (std::size_t i = 0; i < objects.size(); ++i)
        ASSERT_EQ(first.contains(objects[i].get()), i < 250) << i;
}

TEST(PointerSet, EmptyAndNullAreNeverMembers)
{
    int value = 0;
    PointerSet empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.contains(&value));
    EXPECT_FALSE(empty.contains(nullptr));

    const std::vector<const int *> pointers{&value, nullptr};
    const PointerSet set(pointers);
    EXPECT_EQ(set.size(), 1);
    EXPECT_TRUE(set.contains(&value));
    EXPECT_FALSE(set.contains(nullptr));
}

} // namespace
} // namespace vorla
