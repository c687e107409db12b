#include "scanner/photo_evidence.h"

namespace vorla {

QString rawValue(PhotoLayout layout)
{
    switch (layout) {
    case PhotoLayout::automatic:
        return QStringLiteral("automatic");
    case PhotoLayout::spines:
        return QStringLiteral("spines");
    case PhotoLayout::covers:
        return QStringLiteral("covers");
    }
    return QString();
}

std::optional<PhotoLayout> photoLayoutFromRawValue(QStringView text)
{
    for (PhotoLayout layout : allPhotoLayouts()) {
        if (text == rawValue(layout))
            return layout;
    }
    return std::nullopt;
}

const QList<PhotoLayout> &allPhotoLayouts()
{
    static const QList<PhotoLayout> layouts
        = { PhotoLayout::automatic, PhotoLayout::spines, PhotoLayout::covers };
    return layouts;
}

QString rawValue(PhotoEvidence::Kind kind)
{
    return kind == PhotoEvidence::Kind::spine ? QStringLiteral("spine") : QStringLiteral("cover");
}

std::optional<PhotoEvidence::Kind> photoEvidenceKindFromRawValue(QStringView text)
{
    for (PhotoEvidence::Kind kind : { PhotoEvidence::Kind::spine, PhotoEvidence::Kind::cover }) {
        if (text == rawValue(kind))
            return kind;
    }
    return std::nullopt;
}

} // namespace vorla
