#include "services/musicbrainz_client.h"

#include <QTextBoundaryFinder>

namespace vorla {

bool MusicBrainzClient::isValidID(QStringView text)
{
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')
                       || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

namespace {

// The characters with a meaning in the service's query syntax, each a whole character.
bool isSyntaxCharacter(QStringView character)
{
    static const QString syntax = QStringLiteral("+-&|!(){}[]^\"~*?:\\/");
    return character.size() == 1 && syntax.contains(character.front());
}

} // namespace

QString MusicBrainzClient::keywords(const QString &text)
{
    // Whole characters: a hyphen carrying a combining mark is not the syntax character.
    QString blanked;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = characters.toNextBoundary(); end != -1;
         start = end, end = characters.toNextBoundary()) {
        const QStringView character = QStringView(text).sliced(start, end - start);
        if (isSyntaxCharacter(character))
            blanked += u' ';
        else
            blanked += character;
    }
    return blanked.split(u' ', Qt::SkipEmptyParts).join(u' ');
}

QString MusicBrainzClient::phrase(const QString &field, const QString &value)
{
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    return field + QStringLiteral(":\"") + escaped + u'"';
}

} // namespace vorla
