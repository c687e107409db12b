// What one record in a photo yielded (its kind, text lines, barcodes and a small picture), and
// how a photo is to be read.
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace vorla {

enum class PhotoLayout { automatic, spines, covers };

QString rawValue(PhotoLayout layout); // "automatic", "spines", "covers"
std::optional<PhotoLayout> photoLayoutFromRawValue(QStringView text);
const QList<PhotoLayout> &allPhotoLayouts();

struct PhotoEvidence
{
    enum class Kind { spine, cover };

    Kind kind = Kind::cover;
    // In reading order: top to bottom of a spine, tallest lettering first on a cover.
    QStringList lines;
    // In detection order.
    QStringList barcodes;
    // At most 320 pixels on its longer side; none for a barcode alone or when cropping failed.
    std::optional<QImage> crop;
};

QString rawValue(PhotoEvidence::Kind kind); // "spine", "cover"
std::optional<PhotoEvidence::Kind> photoEvidenceKindFromRawValue(QStringView text);

} // namespace vorla
