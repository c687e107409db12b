#include "core/number_text.h"

#include <QString>

namespace vorla::NumberText {

std::optional<qint64> decimalInteger(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    for (qsizetype j = i; j < text.size(); ++j) {
        if (text[j] < u'0' || text[j] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<qint64> yearFromText(QStringView text)
{
    if (text.size() < 4)
        return std::nullopt;
    const auto year = decimalInteger(text.first(4));
    if (year && *year > 1800)
        return year;
    return std::nullopt;
}

} // namespace vorla::NumberText
