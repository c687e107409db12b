// The context menu of the grid and the table for one record or several: edit, favourite,
// the release page on the web, metadata refresh and delete.
#pragma once

#include "views/record_actions.h"

#include <QList>
#include <QUrl>

#include <optional>

class QMenu;

namespace vorla {

class ModelContext;
class Record;

// The release page a record's menu links to: its source URL when that is a web address.
std::optional<QUrl> webPage(const Record &record);

// Fills `menu` with the items for `records` (never empty), acting through `actions`.
// Favourite changes are made on the records themselves and left to automatic saving.
void fillRecordContextMenu(QMenu &menu, ModelContext &context, const QList<QUuid> &records,
                           const RecordActions &actions);

} // namespace vorla
