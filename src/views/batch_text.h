// The batch sheet's typed text line by line: which lines the matcher will queue and what stays
// in the editor after matching.
#pragma once

#include <QString>
#include <QStringList>

namespace vorla {

namespace BatchText {

struct Lines
{
    // Lines that hold more than spaces and tabs.
    int nonBlank = 0;
    // Trimmed lines the batch matcher searches for (their parsed query has free text).
    QStringList queued;
    // The other non-blank lines, as typed, one per line: they stay in the editor.
    QStringList skipped;
};

// Splits at line feeds, carriage returns (alone or with a line feed), vertical tabs, form
// feeds, NEL, and the Unicode line and paragraph separators.
Lines split(const QString &text);

// `text` with the file's text appended on a line of its own.
QString appended(const QString &text, const QString &fileText);

} // namespace BatchText

} // namespace vorla
