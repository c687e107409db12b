#include "core/image_util.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <cmath>

namespace vorla::ImageUtil {

std::optional<QByteArray> downscaledJPEG(const QByteArray &data, int maxPixel, double quality)
{
    if (data.isEmpty() || maxPixel <= 0)
        return std::nullopt;
    QBuffer input;
    input.setData(data);
    input.open(QIODevice::ReadOnly);
    QImageReader reader(&input);
    reader.setAutoTransform(true);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        const int larger = std::max(size.width(), size.height());
        if (larger > maxPixel) {
            // Lets decoders such as JPEG decode at reduced size.
            const double scale = double(maxPixel) / larger;
            reader.setScaledSize(QSize(std::max(1, int(std::lround(size.width() * scale))),
                                       std::max(1, int(std::lround(size.height() * scale)))));
        }
    }
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (std::max(image.width(), image.height()) > maxPixel)
        image = image.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    QByteArray bytes;
    QBuffer output(&bytes);
    output.open(QIODevice::WriteOnly);
    QImageWriter writer(&output, "jpeg");
    writer.setQuality(std::clamp(int(std::lround(quality * 100)), 0, 100));
    if (!writer.write(image) || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

} // namespace vorla::ImageUtil
