// What ends a line of typed or pasted text: line feed, vertical tab, form feed, carriage
// return, NEL, and the Unicode line and paragraph separators.
#pragma once

#include <QChar>

namespace vorla {

namespace TextUtil {

constexpr bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace TextUtil

} // namespace vorla
