// The cover images the collection views paint, through the shared image cache, so a tile
// decodes its thumbnail only when it is painted and only once per cover revision, and never
// on the GUI thread: a tile painted before its thumbnail is decoded shows the placeholder and
// is repainted when the thumbnail arrives.
#pragma once

#include <QImage>

class QModelIndex;
class QStyleOptionViewItem;

namespace vorla {

class Record;

// The thumbnail of the record at `index`, which the item view `option.widget` paints; a null
// image (the placeholder is drawn) without one and while it is being decoded.
QImage recordThumbnail(
    const Record *record, const QStyleOptionViewItem &option, const QModelIndex &index);

} // namespace vorla
