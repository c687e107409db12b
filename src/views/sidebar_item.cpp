#include "views/sidebar_item.h"

#include <QCoreApplication>
#include <QHash>

namespace vorla {

QString decadeTitle(int decade)
{
    return QString::number(decade) + u's';
}

QString sidebarTitle(const std::optional<SidebarItem> &item)
{
    const SidebarItem choice = item.value_or(SidebarItem::all());
    switch (choice.kind) {
    case SidebarItem::Kind::all:
        return QCoreApplication::translate("Sidebar", "All Records");
    case SidebarItem::Kind::favorites:
        return QCoreApplication::translate("Sidebar", "Favorites");
    case SidebarItem::Kind::recent:
        return QCoreApplication::translate("Sidebar", "Recently Added");
    case SidebarItem::Kind::ungraded:
        return QCoreApplication::translate("Sidebar", "Not Graded");
    case SidebarItem::Kind::genre:
        return choice.genre;
    case SidebarItem::Kind::decade:
        return decadeTitle(choice.decade);
    }
    return {};
}

size_t qHash(const SidebarItem &item, size_t seed)
{
    return qHashMulti(seed, static_cast<int>(item.kind), item.genre, item.decade);
}

} // namespace vorla
