#include "services/release_query.h"

#include "core/text_util.h"

#include <QHashFunctions>
#include <QList>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace vorla {

namespace {

// Unicode characters, not UTF-16 units, for the length limits of catalog numbers.
qsizetype characterCount(QStringView text)
{
    qsizetype count = 0;
    for (const QChar c : text) {
        if (!c.isLowSurrogate())
            ++count;
    }
    return count;
}

// Splits every part at `separator`, trims spaces and tabs, and drops empty parts.
QStringList splitParts(const QStringList &parts, const QString &separator)
{
    QStringList result;
    for (const QString &part : parts) {
        for (const QString &piece : part.split(separator)) {
            const QString trimmed = TextUtil::trimmedSpacesAndTabs(piece);
            if (!trimmed.isEmpty())
                result.append(trimmed);
        }
    }
    return result;
}

} // namespace

ReleaseQuery ReleaseQuery::parse(const QString &input)
{
    // A list number ("12. ", "3) ") or a bullet, each followed by white space.
    static const QRegularExpression listMarker(
        QStringLiteral("^(\\d{1,4}[.)]\\s+|[-*\u2022\u00b7]\\s+)"),
        QRegularExpression::UseUnicodePropertiesOption);

    QString line = TextUtil::trimmedWhitespaceAndNewlines(input);
    line.remove(listMarker);
    if (line.isEmpty())
        return {};

    // Columns copied from a spreadsheet.
    QStringList columns;
    for (const QString &piece : line.split(u'\t', Qt::SkipEmptyParts)) {
        const QString trimmed = TextUtil::trimmedSpacesAndTabs(piece);
        if (!trimmed.isEmpty())
            columns.append(trimmed);
    }
    ReleaseQuery query;
    if (columns.size() >= 2) {
        query.artist = columns[0];
        query.title = columns[1];
        query.catalogNumber = columns.value(2);
        return query;
    }

    // "Artist - Title", also with spaced en and em dashes.
    QStringList parts = splitParts({line}, QStringLiteral(" - "));
    parts = splitParts(parts, QStringLiteral(" \u2013 "));
    parts = splitParts(parts, QStringLiteral(" \u2014 "));
    if (parts.size() >= 2) {
        query.artist = parts[0];
        query.title = parts[1];
        query.catalogNumber = parts.mid(2).join(u' ');
        return query;
    }

    if (const auto pair = splitCatalogNumber(line)) {
        query.label = pair->first;
        query.catalogNumber = pair->second;
        return query;
    }

    query.text = line;
    return query;
}

QString ReleaseQuery::freeText() const
{
    QStringList filled;
    for (const QString *field : {&artist, &title, &label, &catalogNumber, &text}) {
        if (!field->isEmpty())
            filled.append(*field);
    }
    return filled.join(u' ');
}

QString ReleaseQuery::normalizedName(const QString &name)
{
    // Diacritics fold away: decompose, drop the combining marks, compose what is left.
    const QString decomposed = name.toLower().normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const char32_t c : decomposed.toUcs4()) {
        if (QChar::category(c) != QChar::Mark_NonSpacing)
            folded.append(QString::fromUcs4(&c, 1));
    }
    folded = folded.normalized(QString::NormalizationForm_C);

    if (folded.startsWith(u"the "))
        folded.remove(0, 4);
    folded.replace(u'&', QStringLiteral("and"));

    QString result;
    result.reserve(folded.size());
    for (const char32_t c : folded.toUcs4()) {
        if (QChar::isLetterOrNumber(c))
            result.append(QString::fromUcs4(&c, 1));
    }
    return result;
}

QString ReleaseQuery::normalizedCatalogNumber(const QString &number)
{
    // Plain ASCII, the usual case, is kept or dropped one unit at a time.
    if (std::all_of(number.begin(), number.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        QString ascii;
        ascii.reserve(number.size());
        for (const QChar c : number) {
            const char16_t u = c.unicode();
            if (u >= u'A' && u <= u'Z')
                ascii.append(QChar(u + (u'a' - u'A')));
            else if ((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
                ascii.append(c);
        }
        return ascii;
    }
    QString result;
    for (const char32_t c : number.toLower().toUcs4()) {
        if (QChar::isLetterOrNumber(c))
            result.append(QString::fromUcs4(&c, 1));
    }
    return result;
}

std::optional<std::pair<QString, QString>> ReleaseQuery::splitCatalogNumber(const QString &line)
{
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    if (words.size() > 6)
        return std::nullopt;

    qsizetype runStart = words.size();
    while (runStart > 0 && isCatalogToken(words[runStart - 1]))
        --runStart;
    if (runStart == words.size())
        return std::nullopt;

    const QStringList run = words.mid(runStart);
    const bool hasNumber = std::any_of(run.begin(), run.end(), [](const QString &word) {
        const QList<uint> characters = word.toUcs4();
        return std::any_of(characters.begin(), characters.end(),
            [](uint c) { return QChar::isNumber(char32_t(c)); });
    });
    if (!hasNumber)
        return std::nullopt;

    const QString catalogNumber = run.join(u' ');
    if (characterCount(catalogNumber) > 24)
        return std::nullopt;
    return std::pair(words.mid(0, runStart).join(u' '), catalogNumber);
}

bool ReleaseQuery::isCatalogToken(QStringView word)
{
    bool hasNumber = false;
    for (const char32_t c : word.toUcs4()) {
        if (QChar::isNumber(c))
            hasNumber = true;
        else if (!QChar::isUpper(c) && c != U'-' && c != U'.' && c != U'/')
            return false;
    }
    return hasNumber || characterCount(word) < 7;
}

size_t qHash(const ReleaseQuery &query, size_t seed)
{
    return qHashMulti(seed, query.artist, query.title, query.label, query.catalogNumber,
        query.text);
}

} // namespace vorla
