// Small text routines shared across the layers, and the one place that defines trimming.
#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <concepts>

namespace vorla {

namespace TextUtil {

// Drops a trailing number in parentheses that Discogs appends to artists who share a name:
// "Artist (2)" -> "Artist"; then trims spaces and tabs.
QString cleanArtistName(const QString &name);

// The default trimming: spaces (any Unicode space separator) and tabs at both ends, not
// line breaks.
QString trimmedSpacesAndTabs(QStringView text);
// Trims all white space, line breaks included.
QString trimmedWhitespaceAndNewlines(QStringView text);
// True for a Unicode space separator or a tab.
bool isSpaceOrTab(QChar c);

} // namespace TextUtil

// Repeated elements removed, the order of first occurrence kept.
template <typename T>
QList<T> uniqued(const QList<T> &list)
{
    QList<T> result;
    if constexpr (requires(const T &t) { qHash(t); }) {
        QSet<T> seen;
        for (const T &element : list) {
            if (!seen.contains(element)) {
                seen.insert(element);
                result.append(element);
            }
        }
    } else {
        for (const T &element : list) {
            if (!result.contains(element))
                result.append(element);
        }
    }
    return result;
}

// Texts count as equal when they are canonically equivalent Unicode.
QStringList uniqued(const QStringList &list);

} // namespace vorla
