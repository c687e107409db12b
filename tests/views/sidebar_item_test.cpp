#include "views/sidebar_item.h"

#include <gtest/gtest.h>

using namespace vorla;

TEST(SidebarItem, TitlesNameTheChoice)
{
    const struct {
        std::optional<SidebarItem> item;
        const char *title;
    } cases[] = {
        {std::nullopt, "All Records"},
        {SidebarItem::all(), "All Records"},
        {SidebarItem::favorites(), "Favorites"},
        {SidebarItem::recent(), "Recently Added"},
        {SidebarItem::ungraded(), "Not Graded"},
        {SidebarItem::ofGenre(QStringLiteral("Jazz")), "Jazz"},
        {SidebarItem::ofDecade(1970), "1970s"},
        {SidebarItem::ofDecade(2000), "2000s"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(sidebarTitle(c.item), QString::fromUtf8(c.title));
    }
}

TEST(SidebarItem, GenresCompareByExactText)
{
    EXPECT_EQ(SidebarItem::ofGenre(QStringLiteral("Rock")), SidebarItem::ofGenre(QStringLiteral("Rock")));
    EXPECT_NE(SidebarItem::ofGenre(QStringLiteral("Rock")), SidebarItem::ofGenre(QStringLiteral("rock")));
    EXPECT_NE(SidebarItem::ofDecade(1970), SidebarItem::ofDecade(1980));
    EXPECT_NE(SidebarItem::all(), SidebarItem::favorites());
}
