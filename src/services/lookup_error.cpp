#include "services/lookup_error.h"

namespace vorla {

LookupError::LookupError(Kind kind, qint64 statusCode)
    : Error(errorDescription(kind, statusCode))
    , m_kind(kind)
    , m_statusCode(kind == Kind::http ? statusCode : 0)
{
}

QString LookupError::errorDescription(Kind kind, qint64 statusCode)
{
    switch (kind) {
    case Kind::http:
        return QStringLiteral("The metadata service returned an error (HTTP %1).").arg(statusCode);
    case Kind::missingToken:
        return QStringLiteral(
            "Discogs requires a personal access token for this request. Add one in Settings.");
    case Kind::unauthorized:
        return QStringLiteral("Discogs rejected the access token. Check it in Settings.");
    case Kind::rateLimited:
        return QStringLiteral(
            "The metadata service is rate limiting requests. Wait a moment and try again.");
    case Kind::notFound:
        return QStringLiteral("The release could not be found.");
    case Kind::insecureURL:
        return QStringLiteral("Refusing to make a non-HTTPS request.");
    }
    Q_UNREACHABLE();
}

} // namespace vorla
