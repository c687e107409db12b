// Reads a photo from disk upright (its orientation tag applied) and at a bounded size, so a
// huge photo is decoded reduced instead of at full resolution.
#pragma once

#include <QImage>
#include <QString>

namespace vorla {

enum class ImageFileProblem { none, missing, notAnImage };

// A null image when the file cannot be read; `problem` then says why.
QImage readUprightImage(const QString &path, int maxSide, ImageFileProblem *problem = nullptr);

} // namespace vorla
