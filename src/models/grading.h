// The condition scale of a collector's copy, for the media and for the sleeve.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace vorla {

enum class Grading { notGraded, mint, nearMint, veryGoodPlus, veryGood, goodPlus, good, fair, poor };

// Every grade in scale order (the order the pickers list).
inline constexpr std::array<Grading, 9> allGradings = {
    Grading::notGraded, Grading::mint,     Grading::nearMint, Grading::veryGoodPlus, Grading::veryGood,
    Grading::goodPlus,  Grading::good,     Grading::fair,     Grading::poor,
};

// The stored and exported form: "" for notGraded, else "M", "NM", "VG+", ...
QString rawValue(Grading grading);
// Same as rawValue, except "—" for notGraded so an empty grade still shows.
QString shortLabel(Grading grading);
// "Mint (M)", "Not Graded", ...
QString label(Grading grading);

// The grade whose raw value is exactly `text` (case-sensitive, no trimming).
std::optional<Grading> gradingFromRawValue(QStringView text);
// A grade read from free text such as a CSV column; never fails.
Grading gradingParsing(const QString &text);

} // namespace vorla
