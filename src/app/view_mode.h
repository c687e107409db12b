// How the collection area shows records: a grid of covers or a table.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace vorla {

enum class ViewMode { grid, list };

inline QString rawValue(ViewMode mode)
{
    return mode == ViewMode::grid ? QStringLiteral("grid") : QStringLiteral("list");
}

inline std::optional<ViewMode> viewModeFromRawValue(QStringView raw)
{
    if (raw == u"grid")
        return ViewMode::grid;
    if (raw == u"list")
        return ViewMode::list;
    return std::nullopt;
}

} // namespace vorla
