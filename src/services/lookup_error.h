// The error the request routine and the lookup clients raise themselves; what() is the
// message shown to the user as it stands.
#pragma once

#include "models/error.h"

#include <QtGlobal>

namespace vorla {

class LookupError : public Error
{
public:
    enum class Kind { http, missingToken, unauthorized, rateLimited, notFound, insecureURL };

    explicit LookupError(Kind kind, qint64 statusCode = 0);

    // An answer with this status code; 0 means the answer was not an HTTP response.
    static LookupError http(qint64 statusCode) { return LookupError(Kind::http, statusCode); }
    static LookupError missingToken() { return LookupError(Kind::missingToken); }
    static LookupError unauthorized() { return LookupError(Kind::unauthorized); }
    static LookupError rateLimited() { return LookupError(Kind::rateLimited); }
    static LookupError notFound() { return LookupError(Kind::notFound); }
    static LookupError insecureURL() { return LookupError(Kind::insecureURL); }

    static QString errorDescription(Kind kind, qint64 statusCode = 0);

    Kind kind() const { return m_kind; }
    // Only meaningful for Kind::http.
    qint64 statusCode() const { return m_statusCode; }

    // Compares the case and, for http, the code.
    bool operator==(const LookupError &other) const
    {
        return m_kind == other.m_kind && (m_kind != Kind::http || m_statusCode == other.m_statusCode);
    }

private:
    Kind m_kind;
    qint64 m_statusCode;
};

} // namespace vorla
