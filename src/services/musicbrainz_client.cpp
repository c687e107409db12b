#include "services/musicbrainz_client.h"

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

} // namespace vorla
