// VORLA_MAKE_ICON: the application icon at 1024 by 1024 pixels, written as a PNG file.
#include "app/debug_hooks.h"

#include "app/icon_renderer.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSaveFile>

#include <new>

namespace vorla::DebugHooks {

// Prints nothing; the exit status alone tells whether the file was written.
int makeIcon(const QString &path, QTextStream &)
{
    try {
        const QImage icon = IconRenderer::image(1024);
        if (icon.isNull())
            return 1;
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !icon.save(&buffer, "PNG"))
            return 1;
        // Where the folder allows it, written in full or not at all: a failure leaves no
        // cut-off icon behind.
        QSaveFile file(path);
        file.setDirectWriteFallback(true);
        if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size())
            return 1;
        return file.commit() ? 0 : 1;
    } catch (const std::bad_alloc &) {
        return 1;
    }
}

} // namespace vorla::DebugHooks
