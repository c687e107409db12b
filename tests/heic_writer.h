// HEIC files made on the fly through libheif's encoder, as a phone stores its photos.
#pragma once

#include <QFile>
#include <QImage>
#include <QString>
#include <QTransform>

#include <libheif/heif.h>

#include <cstring>

namespace vorla::test {

// Writes `upright` as a HEIC file through libheif's encoder, stored turned a quarter the other
// way with the orientation that turns it back, as a phone does.
inline bool writeHeic(const QImage &upright, const QString &path)
{
    const QImage stored
        = upright.transformed(QTransform().rotate(-90)).convertToFormat(QImage::Format_RGB888);
    heif_context *context = heif_context_alloc();
    heif_image *image = nullptr;
    bool written = false;
    if (heif_image_create(stored.width(), stored.height(), heif_colorspace_RGB,
            heif_chroma_interleaved_RGB, &image)
                .code
            == heif_error_Ok
        && heif_image_add_plane(image, heif_channel_interleaved, stored.width(), stored.height(), 8)
                .code
            == heif_error_Ok) {
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < stored.height(); ++y)
            std::memcpy(
                plane + qsizetype(y) * stride, stored.constScanLine(y), size_t(stored.width()) * 3);
        heif_encoder *encoder = nullptr;
        if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code
            == heif_error_Ok) {
            heif_encoder_set_lossy_quality(encoder, 90);
            heif_encoding_options *options = heif_encoding_options_alloc();
            options->image_orientation = heif_orientation_rotate_90_cw;
            const QByteArray file = QFile::encodeName(path);
            written = heif_context_encode_image(context, image, encoder, options, nullptr).code
                    == heif_error_Ok
                && heif_context_write_to_file(context, file.constData()).code == heif_error_Ok;
            heif_encoding_options_free(options);
            heif_encoder_release(encoder);
        }
    }
    if (image)
        heif_image_release(image);
    heif_context_free(context);
    return written;
}

} // namespace vorla::test
