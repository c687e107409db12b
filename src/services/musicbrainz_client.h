// Client of the MusicBrainz web service.
#pragma once

#include <QStringView>

namespace vorla {

class MusicBrainzClient
{
public:
    // True for a UUID in its 36-character text form (8-4-4-4-12 hex digits, either case);
    // no trimming, no braces.
    static bool isValidID(QStringView text);
};

} // namespace vorla
