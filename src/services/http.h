// The one HTTPS request routine every lookup and cover download goes through, and the seam
// that carries its requests: the network gateway in the application, a scripted transport
// in tests.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>
#include <stop_token>
#include <utility>

namespace vorla {

// Header names and values in order; names compare case-insensitively.
using HttpHeaders = QList<std::pair<QByteArray, QByteArray>>;

// The value of the first header with that name, or none.
std::optional<QByteArray> headerValue(const HttpHeaders &headers, QByteArrayView name);

struct HttpRequest
{
    QUrl url;
    // As sent: the user agent first, then the caller's headers.
    HttpHeaders headers;

    std::optional<QByteArray> header(QByteArrayView name) const { return headerValue(headers, name); }
};

struct HttpResponse
{
    // 0 means the answer was not an HTTP response.
    int status = 0;
    QByteArray body;
    HttpHeaders headers;
    // After the redirects that were followed.
    QUrl url;
    bool fromCache = false;
};

class HttpTransport
{
public:
    virtual ~HttpTransport();
    // Sends one GET and waits for the answer, whatever its status. Throws NetworkError for
    // transport failures and CancelledError once `stop` is requested.
    virtual HttpResponse send(const HttpRequest &request, std::stop_token stop) = 0;
    // The pause before a retry; throws CancelledError once `stop` is requested.
    virtual void pause(std::chrono::milliseconds duration, std::stop_token stop);
};

namespace HTTP {

inline constexpr char kUserAgent[] = "Vorla/1.0 (Linux vinyl collection app)";

// GETs an HTTPS URL and returns the body of a 2xx answer. 401/403, 404, 429 and 503 and
// other statuses become LookupError; 429 and 503 are retried twice, after 2 s and 4 s.
// Transport failures are NetworkError; a stop request ends the call with CancelledError.
// Synchronous and thread-safe; call it from worker threads only.
QByteArray data(const QUrl &url, const HttpHeaders &headers, std::stop_token stop = {});

// Installs the transport data() uses and returns the previous one; null uninstalls.
std::shared_ptr<HttpTransport> setTransport(std::shared_ptr<HttpTransport> transport);
std::shared_ptr<HttpTransport> transport();

} // namespace HTTP

namespace URL {

// A URL text taken from an answer, as a URL only when it is well-formed HTTPS with a host.
std::optional<QUrl> https(const std::optional<QString> &text);

} // namespace URL

} // namespace vorla
