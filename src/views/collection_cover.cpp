#include "views/collection_cover.h"

#include "models/record.h"
#include "services/image_cache.h"

namespace vorla {

QImage recordThumbnail(const Record *record)
{
    if (!record)
        return {};
    return ImageCache::shared().image(*record, false);
}

} // namespace vorla
