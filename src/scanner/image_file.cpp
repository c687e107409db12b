#include "scanner/image_file.h"

#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace vorla {

QImage readUprightImage(const QString &path, int maxSide, ImageFileProblem *problem)
{
    auto fail = [problem](ImageFileProblem why) {
        if (problem)
            *problem = why;
        return QImage();
    };
    if (problem)
        *problem = ImageFileProblem::none;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return fail(ImageFileProblem::missing);

    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (!reader.canRead())
        return fail(ImageFileProblem::notAnImage);
    if (size.isValid() && maxSide > 0 && std::max(size.width(), size.height()) > maxSide) {
        // The orientation is applied after decoding, so the stored size is what is scaled.
        size.scale(maxSide, maxSide, Qt::KeepAspectRatio);
        reader.setScaledSize(size);
    }
    QImage image = reader.read();
    if (image.isNull())
        return fail(ImageFileProblem::notAnImage);
    if (maxSide > 0 && std::max(image.width(), image.height()) > maxSide)
        image = image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace vorla
