#include "models/grading.h"

#include "core/text_util.h"

namespace vorla {

QString rawValue(Grading grading)
{
    switch (grading) {
    case Grading::notGraded: return QString();
    case Grading::mint: return QStringLiteral("M");
    case Grading::nearMint: return QStringLiteral("NM");
    case Grading::veryGoodPlus: return QStringLiteral("VG+");
    case Grading::veryGood: return QStringLiteral("VG");
    case Grading::goodPlus: return QStringLiteral("G+");
    case Grading::good: return QStringLiteral("G");
    case Grading::fair: return QStringLiteral("F");
    case Grading::poor: return QStringLiteral("P");
    }
    return QString();
}

QString shortLabel(Grading grading)
{
    return grading == Grading::notGraded ? QStringLiteral("\u2014") : rawValue(grading);
}

QString label(Grading grading)
{
    switch (grading) {
    case Grading::notGraded: return QStringLiteral("Not Graded");
    case Grading::mint: return QStringLiteral("Mint (M)");
    case Grading::nearMint: return QStringLiteral("Near Mint (NM)");
    case Grading::veryGoodPlus: return QStringLiteral("Very Good Plus (VG+)");
    case Grading::veryGood: return QStringLiteral("Very Good (VG)");
    case Grading::goodPlus: return QStringLiteral("Good Plus (G+)");
    case Grading::good: return QStringLiteral("Good (G)");
    case Grading::fair: return QStringLiteral("Fair (F)");
    case Grading::poor: return QStringLiteral("Poor (P)");
    }
    return QString();
}

std::optional<Grading> gradingFromRawValue(QStringView text)
{
    for (Grading grading : allGradings) {
        if (text == rawValue(grading))
            return grading;
    }
    return std::nullopt;
}

Grading gradingParsing(const QString &text)
{
    const QString s = TextUtil::trimmedSpacesAndTabs(text.toUpper());
    if (s.isEmpty())
        return Grading::notGraded;
    auto has = [&s](const char16_t *part) { return s.contains(QStringView(part)); };
    auto is = [&s](const char16_t *whole) { return s == QStringView(whole); };
    // Stronger and longer forms first, so "NEAR MINT" is not read as "MINT".
    if (has(u"NEAR MINT") || has(u"NM") || has(u"M-"))
        return Grading::nearMint;
    if (has(u"MINT") || is(u"M") || has(u"(M)"))
        return Grading::mint;
    if (has(u"VG+") || has(u"VERY GOOD PLUS"))
        return Grading::veryGoodPlus;
    if (has(u"VG") || has(u"VERY GOOD"))
        return Grading::veryGood;
    if (has(u"G+") || has(u"GOOD PLUS"))
        return Grading::goodPlus;
    if (is(u"G") || has(u"(G)") || has(u"GOOD"))
        return Grading::good;
    if (is(u"F") || has(u"FAIR"))
        return Grading::fair;
    if (is(u"P") || has(u"POOR"))
        return Grading::poor;
    return Grading::notGraded;
}

} // namespace vorla
