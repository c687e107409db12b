#include "services/http.h"

#include "models/error.h"
#include "services/lookup_error.h"
#include "services/stoppable_sleep.h"
#include "core/text_util.h"

#include <mutex>

namespace vorla {

namespace {

constexpr int kMaxAttempts = 3;

std::mutex transportMutex;
std::shared_ptr<HttpTransport> currentTransport;

void setHeader(HttpHeaders &headers, const QByteArray &name, const QByteArray &value)
{
    for (auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0) {
            header = {name, value};
            return;
        }
    }
    headers.append({name, value});
}

} // namespace

std::optional<QByteArray> headerValue(const HttpHeaders &headers, QByteArrayView name)
{
    for (const auto &header : headers) {
        if (QByteArrayView(header.first).compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return std::nullopt;
}

HttpTransport::~HttpTransport() = default;

void HttpTransport::pause(std::chrono::milliseconds duration, std::stop_token stop)
{
    if (!sleepFor(duration, stop))
        throw CancelledError();
}

namespace HTTP {

std::shared_ptr<HttpTransport> setTransport(std::shared_ptr<HttpTransport> transport)
{
    std::lock_guard lock(transportMutex);
    std::swap(currentTransport, transport);
    return transport;
}

std::shared_ptr<HttpTransport> transport()
{
    std::lock_guard lock(transportMutex);
    return currentTransport;
}

QByteArray data(const QUrl &url, const HttpHeaders &headers, std::stop_token stop)
{
    // Case-sensitive on purpose: only what the URL itself reports as "https" is sent.
    if (url.scheme() != QLatin1String("https") || url.host().isEmpty())
        throw LookupError::insecureURL();

    HttpRequest request;
    request.url = url;
    request.headers.append({QByteArrayLiteral("User-Agent"), QByteArray(kUserAgent)});
    for (const auto &[name, value] : headers)
        setHeader(request.headers, name, value);

    const auto transport = HTTP::transport();
    if (!transport)
        throw NetworkError(QStringLiteral("The network is not available."));

    for (int attempt = 0;; ++attempt) {
        if (stop.stop_requested())
            throw CancelledError();
        const HttpResponse response = transport->send(request, stop);
        const int status = response.status;
        if (status >= 200 && status <= 299)
            return response.body;
        if (status == 401 || status == 403)
            throw LookupError::unauthorized();
        if (status == 404)
            throw LookupError::notFound();
        if (status == 429 || status == 503) {
            if (attempt + 1 < kMaxAttempts) {
                // No Retry-After: 2 s after the first answer, 4 s after the second.
                transport->pause(std::chrono::seconds(2 * attempt + 2), stop);
                continue;
            }
            if (status == 429)
                throw LookupError::rateLimited();
        }
        throw LookupError::http(status);
    }
}

} // namespace HTTP

namespace URL {

std::optional<QUrl> https(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    const QString trimmed = TextUtil::trimmedSpacesAndTabs(*text);
    if (trimmed.isEmpty())
        return std::nullopt;
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    if (url.scheme().toLower() != QLatin1String("https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace URL

} // namespace vorla
