// The sidebar's choice, which is also the collection filter and the window title.
#pragma once

#include <QMetaType>
#include <QString>

#include <optional>

namespace vorla {

struct SidebarItem {
    enum class Kind { genre, decade, all, favorites, recent, ungraded };

    Kind kind = Kind::all;
    QString genre; // only for Kind::genre
    int decade = 0; // first year of the decade, only for Kind::decade

    static SidebarItem all() { return {Kind::all, {}, 0}; }
    static SidebarItem favorites() { return {Kind::favorites, {}, 0}; }
    static SidebarItem recent() { return {Kind::recent, {}, 0}; }
    static SidebarItem ungraded() { return {Kind::ungraded, {}, 0}; }
    static SidebarItem ofGenre(const QString &name) { return {Kind::genre, name, 0}; }
    static SidebarItem ofDecade(int firstYear) { return {Kind::decade, {}, firstYear}; }

    bool operator==(const SidebarItem &) const = default;
};

// "1970s" for the decade 1970.
QString decadeTitle(int decade);

// The collection area's title; no choice reads as "All Records".
QString sidebarTitle(const std::optional<SidebarItem> &item);

size_t qHash(const SidebarItem &item, size_t seed = 0);

} // namespace vorla

Q_DECLARE_METATYPE(vorla::SidebarItem)
