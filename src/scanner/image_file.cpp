#include "scanner/image_file.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace vorla {

namespace {

QString messageFor(ImageFileProblem problem, const QString &path)
{
    const QString name = u'\u201C' + QFileInfo(path).fileName() + u'\u201D';
    switch (problem) {
    case ImageFileProblem::missing:
        return QStringLiteral("The file %1 couldn\u2019t be opened because there is no such file.")
            .arg(name);
    case ImageFileProblem::folder:
        return QStringLiteral("The file %1 couldn\u2019t be opened because it is a folder.")
            .arg(name);
    case ImageFileProblem::unreadable:
        return QStringLiteral("The file %1 couldn\u2019t be opened because you don\u2019t have "
                              "permission to view it.")
            .arg(name);
    case ImageFileProblem::tooLarge:
        return QStringLiteral("The file %1 couldn\u2019t be opened because the picture is too "
                              "large.")
            .arg(name);
    case ImageFileProblem::notAnImage:
    case ImageFileProblem::none:
        break;
    }
    return QStringLiteral(
        "The file %1 couldn\u2019t be opened because it isn\u2019t in the correct "
        "format.")
        .arg(name);
}

bool tooLarge(QSize size)
{
    return size.isValid() && qint64(size.width()) * size.height() > kMaxImageFilePixels;
}

QImage reducedTo(QImage image, int maxSide)
{
    if (maxSide > 0 && std::max(image.width(), image.height()) > maxSide)
        image = image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

bool looksLikeHeif(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(64);
    const heif_filetype_result type = heif_check_filetype(
        reinterpret_cast<const uint8_t *>(head.constData()), int(head.size()));
    return type == heif_filetype_yes_supported;
}

struct HeifDeleter
{
    void operator()(heif_context *context) const { heif_context_free(context); }
    void operator()(heif_image_handle *handle) const { heif_image_handle_release(handle); }
    void operator()(heif_image *image) const { heif_image_release(image); }
};

// The primary picture of a HEIC/HEIF file, its rotation and mirroring applied by libheif.
QImage readHeif(const QString &path, int maxSide, ImageFileProblem &problem)
{
    problem = ImageFileProblem::notAnImage;
    std::unique_ptr<heif_context, HeifDeleter> context(heif_context_alloc());
    if (!context)
        return {};
    const QByteArray file = QFile::encodeName(path);
    if (heif_context_read_from_file(context.get(), file.constData(), nullptr).code != heif_error_Ok)
        return {};
    heif_image_handle *rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return {};
    std::unique_ptr<heif_image_handle, HeifDeleter> handle(rawHandle);
    const QSize size(
        heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()));
    if (tooLarge(size)) {
        problem = ImageFileProblem::tooLarge;
        return {};
    }
    heif_image *rawImage = nullptr;
    if (heif_decode_image(
            handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr)
            .code
        != heif_error_Ok)
        return {};
    std::unique_ptr<heif_image, HeifDeleter> image(rawImage);
    int stride = 0;
    const uint8_t *pixels
        = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0)
        return {};
    QImage decoded(width, height, QImage::Format_RGBA8888);
    if (decoded.isNull())
        return {};
    for (int y = 0; y < height; ++y)
        std::memcpy(decoded.scanLine(y), pixels + qsizetype(y) * stride, size_t(width) * 4);
    problem = ImageFileProblem::none;
    return reducedTo(decoded.convertToFormat(QImage::Format_RGB32), maxSide);
}

QImage read(const QString &path, int maxSide, ImageFileProblem &problem)
{
    problem = ImageFileProblem::none;
    const QFileInfo info(path);
    if (!info.exists()) {
        problem = ImageFileProblem::missing;
        return {};
    }
    if (info.isDir()) {
        problem = ImageFileProblem::folder;
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = ImageFileProblem::unreadable;
        return {};
    }
    file.close();

    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        if (looksLikeHeif(path))
            return readHeif(path, maxSide, problem);
        problem = ImageFileProblem::notAnImage;
        return {};
    }
    const QSize stored = reader.size();
    if (tooLarge(stored)) {
        problem = ImageFileProblem::tooLarge;
        return {};
    }
    QSize size = stored;
    if (size.isValid() && maxSide > 0 && std::max(size.width(), size.height()) > maxSide) {
        // The orientation is applied after decoding, so the stored size is what is scaled.
        size.scale(maxSide, maxSide, Qt::KeepAspectRatio);
        reader.setScaledSize(size);
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        // Formats that cannot decode reduced are refused above Qt's allocation limit.
        const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
        const bool overLimit
            = stored.isValid() && limit > 0 && qint64(stored.width()) * stored.height() * 4 > limit;
        problem = overLimit ? ImageFileProblem::tooLarge : ImageFileProblem::notAnImage;
        return {};
    }
    return reducedTo(image, maxSide);
}

} // namespace

ImageFileError::ImageFileError(ImageFileProblem problem, const QString &path)
    : Error(messageFor(problem, path))
    , m_problem(problem)
{ }

QImage loadUprightImage(const QString &path, int maxSide)
{
    ImageFileProblem problem = ImageFileProblem::none;
    QImage image = read(path, maxSide, problem);
    if (image.isNull())
        throw ImageFileError(
            problem == ImageFileProblem::none ? ImageFileProblem::notAnImage : problem, path);
    return image;
}

QImage readUprightImage(const QString &path, int maxSide, ImageFileProblem *problem)
{
    ImageFileProblem why = ImageFileProblem::none;
    QImage image = read(path, maxSide, why);
    if (image.isNull() && why == ImageFileProblem::none)
        why = ImageFileProblem::notAnImage;
    if (problem)
        *problem = why;
    return image;
}

QSize uprightImageSize(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (!size.isValid())
        return size;
    // A quarter turn swaps the sides.
    if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90))
        size.transpose();
    return size;
}

} // namespace vorla
