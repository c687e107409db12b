// The cover images the collection views paint, through the shared image cache, so a tile
// decodes its thumbnail only when it is painted and only once per cover revision.
#pragma once

#include <QImage>

namespace vorla {

class Record;

// The record's thumbnail, or a null image (the placeholder is drawn) without one.
QImage recordThumbnail(const Record *record);

} // namespace vorla
