#include "models/quoted_file_name.h"

namespace vorla {

QString quotedFileName(QStringView name)
{
    QString result;
    result.reserve(name.size() + 2);
    result.append(QChar(0x201C));
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'\n': result.append(u"\\n"); break;
        case u'\r': result.append(u"\\r"); break;
        case u'\t': result.append(u"\\t"); break;
        default:
            // C0 and C1 controls, DEL, and the bidirectional controls that reorder text.
            if (u < 0x20 || (u >= 0x7F && u < 0xA0) || (u >= 0x202A && u <= 0x202E)
                || (u >= 0x2066 && u <= 0x2069))
                result.append(QStringLiteral("\\u{%1}").arg(uint(u), 0, 16));
            else
                result.append(c);
        }
    }
    result.append(QChar(0x201D));
    return result;
}

} // namespace vorla
