#include "views/collection_cover.h"

#include "models/record.h"

namespace vorla {

QImage recordThumbnail(const Record *record)
{
    if (!record)
        return {};
    return {};
}

} // namespace vorla
