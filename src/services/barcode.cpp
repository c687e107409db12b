#include "services/barcode.h"

#include <QTextBoundaryFinder>

namespace vorla::Barcode {

namespace {

bool isASCIIDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isASCII(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Each character (grapheme cluster) that is a single ASCII digit; a digit carrying a
// combining mark is another character and does not count.
template <typename Visit>
void forEachCharacter(QStringView text, Visit visit)
{
    if (isASCII(text)) {
        for (qsizetype i = 0; i < text.size(); ++i)
            visit(text.sliced(i, 1));
        return;
    }
    const QString copy = text.toString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, copy);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        visit(text.sliced(start, end - start));
        start = end;
    }
}

} // namespace

QString digits(QStringView text)
{
    QString result;
    forEachCharacter(text, [&result](QStringView character) {
        if (character.size() == 1 && isASCIIDigit(character[0]))
            result.append(character[0]);
    });
    return result;
}

bool hasValidChecksum(QStringView text)
{
    const qsizetype count = text.size();
    if (count != 8 && count != 12 && count != 13)
        return false;
    for (QChar c : text) {
        if (!isASCIIDigit(c))
            return false;
    }
    int sum = 0;
    bool triple = true;
    for (qsizetype i = count - 2; i >= 0; --i) {
        const int digit = text[i].unicode() - u'0';
        sum += triple ? 3 * digit : digit;
        triple = !triple;
    }
    const int r = sum % 10;
    const int expected = r == 0 ? 0 : 10 - r;
    return text[count - 1].unicode() - u'0' == expected;
}

QStringList variants(QStringView text)
{
    const QString d = digits(text);
    if (d.isEmpty())
        return {};
    QStringList result{d};
    if (d.size() == 12)
        result.append(u'0' + d);
    else if (d.size() == 13 && d.startsWith(u'0'))
        result.append(d.mid(1));
    return result;
}

bool matches(QStringView a, QStringView b)
{
    auto significant = [](QStringView text) {
        const QString d = digits(text);
        qsizetype start = 0;
        while (start < d.size() && d[start] == u'0')
            ++start;
        return d.mid(start);
    };
    const QString left = significant(a);
    if (left.isEmpty())
        return false;
    return left == significant(b);
}

} // namespace vorla::Barcode
