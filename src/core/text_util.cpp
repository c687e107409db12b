#include "core/text_util.h"

#include <QRegularExpression>

namespace vorla {

namespace TextUtil {

bool isSpaceOrTab(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

namespace {

template <typename Predicate>
QString trimmedBy(QStringView text, Predicate trims)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && trims(text[begin]))
        ++begin;
    while (end > begin && trims(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toString();
}

} // namespace

QString trimmedSpacesAndTabs(QStringView text)
{
    return trimmedBy(text, isSpaceOrTab);
}

QString trimmedWhitespaceAndNewlines(QStringView text)
{
    return trimmedBy(text, [](QChar c) { return c.isSpace(); });
}

QString cleanArtistName(const QString &name)
{
    static const QRegularExpression trailingNumber(QStringLiteral("\\s*\\(\\d+\\)$"),
        QRegularExpression::UseUnicodePropertiesOption);
    QString cleaned = name;
    cleaned.remove(trailingNumber);
    return trimmedSpacesAndTabs(cleaned);
}

} // namespace TextUtil

QStringList uniqued(const QStringList &list)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &text : list) {
        const QString key = text.normalized(QString::NormalizationForm_C);
        if (!seen.contains(key)) {
            seen.insert(key);
            result.append(text);
        }
    }
    return result;
}

} // namespace vorla
