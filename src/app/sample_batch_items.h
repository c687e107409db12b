// Six batch items in every state the review list shows, for the staged review screen.
#pragma once

#include "app/batch_item.h"

#include <QList>

namespace vorla {

namespace DebugHooks {

// New items (new ids) on each call: two settled matches, a line to review, a line not found
// and left out, one being searched and one waiting.
QList<BatchItem> sampleBatchItems();

} // namespace DebugHooks

} // namespace vorla
