// Build tool: draws the application icon at the pixel sizes of the desktop's icon theme.
//   vorla_make_icons SIZE FILE [SIZE FILE ...]
#include "app/icon_renderer.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: %s SIZE FILE [SIZE FILE ...]\n", argv[0]);
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        bool isNumber = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
        const QString file = QString::fromLocal8Bit(argv[i + 1]);
        const QImage icon = isNumber ? vorla::IconRenderer::image(size) : QImage();
        if (icon.isNull() || !QDir().mkpath(QFileInfo(file).absolutePath())
            || !icon.save(file, "PNG")) {
            std::fprintf(
                stderr, "vorla_make_icons: could not draw %s at size %s\n", argv[i + 1], argv[i]);
            return 1;
        }
    }
    return 0;
}
