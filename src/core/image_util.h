// Image routines: bounded, upright JPEG copies of any readable image.
#pragma once

#include <QByteArray>

#include <optional>

namespace vorla::ImageUtil {

// A JPEG whose larger side is at most `maxPixel`, upright, at `quality` (0 to 1); none when
// the bytes are no readable image or encoding fails. Safe on any thread.
std::optional<QByteArray> downscaledJPEG(const QByteArray &data, int maxPixel, double quality);

} // namespace vorla::ImageUtil
