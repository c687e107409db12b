#include "app/add_mode.h"

namespace vorla {

QString rawValue(AddMode mode)
{
    switch (mode) {
    case AddMode::scan:
        return QStringLiteral("scan");
    case AddMode::search:
        return QStringLiteral("search");
    case AddMode::manual:
        return QStringLiteral("manual");
    }
    return {};
}

std::optional<AddMode> addModeFromRawValue(QStringView raw)
{
    for (AddMode mode : allAddModes()) {
        if (raw == rawValue(mode))
            return mode;
    }
    return std::nullopt;
}

QList<AddMode> allAddModes()
{
    return { AddMode::scan, AddMode::search, AddMode::manual };
}

} // namespace vorla
