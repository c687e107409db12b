// The one loader of photos from disk: upright (orientation applied) and at a bounded size, so a
// huge photo is decoded reduced; HEIC/HEIF photos, a phone's default, through libheif.
#pragma once

#include "models/error.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace vorla {

enum class ImageFileProblem { none, missing, folder, unreadable, notAnImage, tooLarge };

// A photo that could not be loaded; the message names the file and the cause.
class ImageFileError : public Error
{
public:
    ImageFileError(ImageFileProblem problem, const QString &path);
    ImageFileProblem problem() const { return m_problem; }

private:
    ImageFileProblem m_problem;
};

// Photos holding more pixels than this are refused rather than decoded.
inline constexpr qint64 kMaxImageFilePixels = 200'000'000;

// The image at `path`, at most `maxSide` pixels on its longer side (0: its own size). Throws
// ImageFileError. Thread-safe.
QImage loadUprightImage(const QString &path, int maxSide);

// The same, as a null image when the file cannot be read; `problem` then says why.
QImage readUprightImage(const QString &path, int maxSide, ImageFileProblem *problem = nullptr);

// The upright size of the stored picture, without decoding it; invalid when unknown.
QSize uprightImageSize(const QString &path);

} // namespace vorla
