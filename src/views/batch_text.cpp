#include "views/batch_text.h"

#include "core/line_break.h"
#include "core/text_util.h"
#include "services/release_query.h"

namespace vorla {

namespace BatchText {


Lines split(const QString &text)
{
    Lines lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !TextUtil::isLineBreak(text[i]))
            continue;
        const QStringView piece = QStringView(text).mid(start, i - start);
        start = i + 1;
        const QString line = TextUtil::trimmedSpacesAndTabs(piece);
        if (line.isEmpty())
            continue;
        ++lines.nonBlank;
        if (ReleaseQuery::parse(line).freeText().isEmpty())
            lines.skipped.append(piece.toString());
        else
            lines.queued.append(line);
    }
    return lines;
}

QString appended(const QString &text, const QString &fileText)
{
    if (text.isEmpty() || text.endsWith(u'\n'))
        return text + fileText;
    return text + u'\n' + fileText;
}

} // namespace BatchText

} // namespace vorla
