// The three ways the add-record sheet can start.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace vorla {

enum class AddMode { scan, search, manual };

QString rawValue(AddMode mode);
std::optional<AddMode> addModeFromRawValue(QStringView raw);
QList<AddMode> allAddModes();

} // namespace vorla
