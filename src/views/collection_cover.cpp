#include "views/collection_cover.h"

#include "models/record.h"
#include "services/image_cache.h"
#include "views/collection_grid_view.h"

#include <QAbstractItemView>
#include <QHash>
#include <QPersistentModelIndex>
#include <QStyleOptionViewItem>

namespace vorla {

namespace {

// Repaints the items of one view whose thumbnails were still being decoded when painted.
class ThumbnailRepainter : public QObject
{
public:
    static void watch(QAbstractItemView *view, const QString &key, const QModelIndex &index)
    {
        auto *repainter = view->findChild<QObject *>(kName, Qt::FindDirectChildrenOnly);
        if (!repainter)
            repainter = new ThumbnailRepainter(view);
        static_cast<ThumbnailRepainter *>(repainter)->m_waiting.insert(key, index);
    }

private:
    static constexpr QLatin1StringView kName { "thumbnailRepainter" };

    explicit ThumbnailRepainter(QAbstractItemView *view)
        : QObject(view)
        , m_view(view)
    {
        setObjectName(kName);
        connect(&ImageCache::shared(), &ImageCache::imageReady, this,
            &ThumbnailRepainter::ready);
    }

    void ready(const QString &key)
    {
        const auto found = m_waiting.constFind(key);
        if (found == m_waiting.cend())
            return;
        const QPersistentModelIndex index = *found;
        m_waiting.erase(found);
        // A grid tile's shadow and ring reach past its rectangle.
        constexpr int overhang = GridGeometry::kTileOverhang;
        if (index.isValid())
            m_view->viewport()->update(
                m_view->visualRect(index).adjusted(-overhang, -overhang, overhang, overhang));
    }

    QAbstractItemView *m_view;
    QHash<QString, QPersistentModelIndex> m_waiting;
};

} // namespace

QImage recordThumbnail(
    const Record *record, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (!record)
        return {};
    bool decoding = false;
    QImage image = ImageCache::shared().image(*record, false, &decoding);
    if (!decoding)
        return image;
    // The view is painted on the GUI thread, which owns it.
    if (auto *view = qobject_cast<QAbstractItemView *>(const_cast<QWidget *>(option.widget)))
        ThumbnailRepainter::watch(view, ImageCache::key(*record, false), index);
    return image;
}

} // namespace vorla
