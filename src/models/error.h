// The errors the system throws itself; what() is always the message the user sees (UTF-8).
#pragma once

#include <QString>

#include <stdexcept>

namespace vorla {

class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// A transport failure: no connection, time-out, TLS, an oversized answer.
class NetworkError : public Error
{
public:
    using Error::Error;
};

// JSON (or another answer format) of the wrong shape.
class DecodingError : public Error
{
public:
    using Error::Error;
};

// The library store could not be opened, read or written.
class StoreError : public Error
{
public:
    using Error::Error;
};

// The work was cancelled; never shown to the user.
class CancelledError : public Error
{
public:
    CancelledError() : Error(QStringLiteral("Cancelled")) {}
};

} // namespace vorla
