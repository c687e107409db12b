#include "scanner/photo_evidence.h"

#include <gtest/gtest.h>

using namespace vorla;
using namespace Qt::StringLiterals;

TEST(PhotoEvidence, LayoutsAndKindsRoundTripTheirRawValues)
{
    EXPECT_EQ(allPhotoLayouts(),
        (QList<PhotoLayout> { PhotoLayout::automatic, PhotoLayout::spines, PhotoLayout::covers }));
    for (PhotoLayout layout : allPhotoLayouts())
        EXPECT_EQ(photoLayoutFromRawValue(rawValue(layout)), layout);
    EXPECT_EQ(rawValue(PhotoLayout::spines), u"spines"_s);
    for (const QString &other : { u"Covers"_s, u""_s, u"spine"_s, u" covers"_s })
        EXPECT_EQ(photoLayoutFromRawValue(other), std::nullopt) << other.toStdString();

    EXPECT_EQ(rawValue(PhotoEvidence::Kind::spine), u"spine"_s);
    EXPECT_EQ(rawValue(PhotoEvidence::Kind::cover), u"cover"_s);
    EXPECT_EQ(photoEvidenceKindFromRawValue(u"cover"), PhotoEvidence::Kind::cover);
    EXPECT_EQ(photoEvidenceKindFromRawValue(u"spine"), PhotoEvidence::Kind::spine);
    EXPECT_EQ(photoEvidenceKindFromRawValue(u"Spine"), std::nullopt);
}
