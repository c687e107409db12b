// The main window's record operations, handed to the collection views, the context menu and
// the inspector. They only change the window's state or queue work; nothing is saved here.
#pragma once

#include <QList>
#include <QUuid>

#include <functional>

namespace vorla {

struct RecordActions {
    // Opens the record editor for one record.
    std::function<void(const QUuid &id)> edit;
    // Asks for confirmation, then deletes (the records in display order).
    std::function<void(const QList<QUuid> &ids)> deleteRecords;
    // Queues the records in the background metadata refresher.
    std::function<void(const QList<QUuid> &ids)> refresh;
};

} // namespace vorla
