// Images made on the fly for the tests that need real image bytes.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace vorla::test {

inline QByteArray encodedImage(int width, int height, const char *format = "PNG",
                               QColor color = QColor(200, 40, 40))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace vorla::test
