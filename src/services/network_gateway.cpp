#include "services/network_gateway.h"

#include "models/error.h"
#include "services/http.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <vector>

namespace vorla {

namespace {

constexpr int kMaxRedirects = 20;
// QNetworkDiskCache has no memory tier; the platform cache's 8 MiB in-memory part has no twin.
constexpr qint64 kDiskCacheSize = 64 * 1024 * 1024;

QString origin(const QUrl &url)
{
    return url.scheme() + QLatin1String("://") + url.host().toLower() + u':'
        + QString::number(url.port(443));
}

void removeHeader(HttpHeaders &headers, QByteArrayView name)
{
    headers.removeIf([name](const auto &header) {
        return QByteArrayView(header.first).compare(name, Qt::CaseInsensitive) == 0;
    });
}

// One GET from the caller's call to its answer, across the redirects it follows.
struct Exchange
{
    enum class Stop { none, caller, shutdown, timedOut, oversized };

    HttpRequest request;
    std::atomic<bool> abandoned = false;

    // Shared with the waiting caller.
    std::mutex mutex;
    std::condition_variable_any finished;
    bool done = false;
    bool cancelled = false;
    HttpResponse response;
    std::optional<QString> error;

    // Network thread only.
    QNetworkReply *reply = nullptr;
    QTimer *timer = nullptr;
    QUrl hop;
    HttpHeaders headers;
    QByteArray body;
    int redirects = 0;
    Stop stop = Stop::none;
};

using ExchangePointer = std::shared_ptr<Exchange>;

} // namespace

class NetworkGateway::Transport : public HttpTransport
{
public:
    explicit Transport(Options options) : m_options(std::move(options)) {}
    ~Transport() override { shutdown(); }

    void start();
    void shutdown();
    HttpResponse send(const HttpRequest &request, std::stop_token stop) override;

private:
    // These run on the network thread.
    void begin(const ExchangePointer &exchange);
    void issue(const ExchangePointer &exchange);
    void readBody(const ExchangePointer &exchange);
    // Follows a redirect answer; false when it is not one to follow.
    bool redirect(const ExchangePointer &exchange);
    void replyFinished(const ExchangePointer &exchange);
    void abort(const ExchangePointer &exchange, Exchange::Stop reason);
    void finish(const ExchangePointer &exchange, HttpResponse response);
    void fail(const ExchangePointer &exchange, const QString &message);
    void cancel(const ExchangePointer &exchange);
    void release(const ExchangePointer &exchange);
    template<typename Outcome>
    void complete(const ExchangePointer &exchange, Outcome outcome);

    template<typename Work>
    bool post(Work work);

    const Options m_options;
    QThread m_thread;
    QObject *m_context = nullptr;
    QNetworkAccessManager *m_manager = nullptr;
    QSslConfiguration m_ssl;
    std::vector<ExchangePointer> m_active;

    std::mutex m_mutex;
    bool m_started = false;
    bool m_closed = false;
    std::set<ExchangePointer> m_waiting;
};

void NetworkGateway::Transport::start()
{
    m_ssl = QSslConfiguration::defaultConfiguration();
    m_ssl.setProtocol(QSsl::TlsV1_2OrLater);
    if (!m_options.caCertificatesForTesting.isEmpty())
        m_ssl.setCaCertificates(m_options.caCertificatesForTesting);

    QString cacheDirectory = m_options.cacheDirectory;
    if (cacheDirectory.isEmpty())
        cacheDirectory = QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
            + QLatin1String("/http");

    m_thread.setObjectName(QStringLiteral("vorla.network"));
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_context,
        [this, cacheDirectory] {
            m_manager = new QNetworkAccessManager(m_context);
            m_manager->setTransferTimeout(int(m_options.transferTimeout.count()));
            auto *cache = new QNetworkDiskCache(m_manager);
            cache->setCacheDirectory(cacheDirectory);
            cache->setMaximumCacheSize(kDiskCacheSize);
            m_manager->setCache(cache);
        },
        Qt::BlockingQueuedConnection);
    std::lock_guard lock(m_mutex);
    m_started = true;
}

void NetworkGateway::Transport::shutdown()
{
    std::set<ExchangePointer> waiting;
    bool started;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        m_closed = true;
        started = m_started;
        waiting.swap(m_waiting);
    }
    // Unblock every caller at once, also those whose request the thread has not seen yet.
    for (const auto &exchange : waiting) {
        std::lock_guard lock(exchange->mutex);
        if (!exchange->done) {
            exchange->done = true;
            exchange->cancelled = true;
            exchange->finished.notify_all();
        }
    }
    if (!started)
        return;
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            const auto active = m_active;
            for (const auto &exchange : active)
                abort(exchange, Exchange::Stop::shutdown);
            delete m_manager;
            m_manager = nullptr;
            // Deleted when the thread finishes, on the thread it lives on.
            m_context->deleteLater();
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

template<typename Work>
bool NetworkGateway::Transport::post(Work work)
{
    // Under the lock, so the context cannot be deleted while the event is posted.
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return false;
    QMetaObject::invokeMethod(m_context, std::move(work), Qt::QueuedConnection);
    return true;
}

HttpResponse NetworkGateway::Transport::send(const HttpRequest &request, std::stop_token stop)
{
    Q_ASSERT_X(QThread::currentThread() != &m_thread, "HTTP::data", "called on the network thread");
    Q_ASSERT_X(!QCoreApplication::instance()
                   || QThread::currentThread() != QCoreApplication::instance()->thread(),
               "HTTP::data", "called on the GUI thread");

    auto exchange = std::make_shared<Exchange>();
    exchange->request = request;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            throw NetworkError(QStringLiteral("The network connection has been shut down."));
        m_waiting.insert(exchange);
        QMetaObject::invokeMethod(
            m_context, [this, exchange] { begin(exchange); }, Qt::QueuedConnection);
    }

    std::unique_lock lock(exchange->mutex);
    exchange->finished.wait(lock, stop, [&] { return exchange->done; });
    const bool done = exchange->done;
    lock.unlock();
    {
        std::lock_guard guard(m_mutex);
        m_waiting.erase(exchange);
    }
    if (!done) {
        exchange->abandoned = true;
        post([this, exchange] { abort(exchange, Exchange::Stop::caller); });
        throw CancelledError();
    }
    if (exchange->cancelled)
        throw CancelledError();
    if (exchange->error)
        throw NetworkError(*exchange->error);
    return exchange->response;
}

void NetworkGateway::Transport::begin(const ExchangePointer &exchange)
{
    if (exchange->abandoned || !m_manager) {
        cancel(exchange);
        return;
    }
    exchange->hop = exchange->request.url;
    exchange->headers = exchange->request.headers;
    exchange->timer = new QTimer(m_context);
    exchange->timer->setSingleShot(true);
    QObject::connect(exchange->timer, &QTimer::timeout, m_context,
                     [this, exchange] { abort(exchange, Exchange::Stop::timedOut); });
    exchange->timer->start(m_options.requestTimeout);
    m_active.push_back(exchange);
    issue(exchange);
}

void NetworkGateway::Transport::issue(const ExchangePointer &exchange)
{
    QNetworkRequest request(exchange->hop);
    request.setSslConfiguration(m_ssl);
    request.setTransferTimeout(int(m_options.transferTimeout.count()));
    // Redirects are followed here, hop by hop: HTTPS only, and no token carried to another
    // origin (Qt itself would keep the Authorization header).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    // The disk cache keys by URL alone; answers meant for one user's token stay out of it.
    if (headerValue(exchange->headers, "Authorization"))
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    for (const auto &[name, value] : exchange->headers)
        request.setRawHeader(name, value);

    exchange->body.clear();
    QNetworkReply *reply = m_manager->get(request);
    exchange->reply = reply;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, m_context, [this, exchange] {
        const QVariant length = exchange->reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_options.maxBodySize)
            abort(exchange, Exchange::Stop::oversized);
    });
    QObject::connect(reply, &QIODevice::readyRead, m_context,
                     [this, exchange] { readBody(exchange); });
    QObject::connect(reply, &QNetworkReply::finished, m_context,
                     [this, exchange] { replyFinished(exchange); });
}

void NetworkGateway::Transport::readBody(const ExchangePointer &exchange)
{
    if (exchange->stop != Exchange::Stop::none || !exchange->reply->isOpen())
        return;
    exchange->body += exchange->reply->read(m_options.maxBodySize + 1 - exchange->body.size());
    if (exchange->body.size() > m_options.maxBodySize)
        abort(exchange, Exchange::Stop::oversized);
}

bool NetworkGateway::Transport::redirect(const ExchangePointer &exchange)
{
    QNetworkReply *reply = exchange->reply;
    const QVariant location = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (!location.isValid())
        return false;
    const QUrl target = exchange->hop.resolved(location.toUrl());
    // A hop that is not HTTPS is not followed: the caller sees the redirect status.
    if (target.scheme() != QLatin1String("https") || target.host().isEmpty())
        return false;
    if (++exchange->redirects > kMaxRedirects) {
        fail(exchange, QStringLiteral("The server redirected the request too many times."));
        return true;
    }
    if (origin(target) != origin(exchange->hop))
        removeHeader(exchange->headers, "Authorization");
    exchange->hop = target;
    QObject::disconnect(reply, nullptr, m_context, nullptr);
    exchange->reply = nullptr;
    reply->deleteLater();
    issue(exchange);
    return true;
}

void NetworkGateway::Transport::abort(const ExchangePointer &exchange, Exchange::Stop reason)
{
    if (exchange->stop != Exchange::Stop::none)
        return;
    exchange->stop = reason;
    if (exchange->reply)
        exchange->reply->abort(); // finishes the reply, which completes the exchange
    else
        cancel(exchange);
}

void NetworkGateway::Transport::replyFinished(const ExchangePointer &exchange)
{
    QNetworkReply *reply = exchange->reply;
    // After an abort the device may be closed already.
    if (exchange->stop == Exchange::Stop::none && reply->isOpen())
        readBody(exchange);

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const auto tooLarge = [this] {
        return QStringLiteral("The server's answer is larger than %1 MiB.")
            .arg(double(m_options.maxBodySize) / (1024 * 1024));
    };
    const QString timedOut = QStringLiteral("The request timed out.");

    switch (exchange->stop) {
    case Exchange::Stop::caller:
    case Exchange::Stop::shutdown:
        cancel(exchange);
        return;
    case Exchange::Stop::timedOut:
        fail(exchange, timedOut);
        return;
    case Exchange::Stop::oversized:
        fail(exchange, tooLarge());
        return;
    case Exchange::Stop::none:
        break;
    }

    if (status == 0) {
        // Qt's own transfer time-out arrives as a cancellation nobody asked for.
        fail(exchange, reply->error() == QNetworkReply::OperationCanceledError ? timedOut
                                                                               : reply->errorString());
        return;
    }
    if (status >= 200 && status <= 299 && reply->error() != QNetworkReply::NoError) {
        // The answer began but did not arrive whole.
        fail(exchange, reply->error() == QNetworkReply::OperationCanceledError ? timedOut
                                                                               : reply->errorString());
        return;
    }
    const bool isRedirect = status == 301 || status == 302 || status == 303 || status == 307
        || status == 308;
    if (isRedirect && redirect(exchange))
        return;
    HttpResponse response;
    response.status = status;
    response.body = exchange->body;
    for (const auto &header : reply->rawHeaderPairs())
        response.headers.append(header);
    response.url = exchange->hop;
    response.fromCache = reply->attribute(QNetworkRequest::SourceIsFromCacheAttribute).toBool();
    finish(exchange, std::move(response));
}

template<typename Outcome>
void NetworkGateway::Transport::complete(const ExchangePointer &exchange, Outcome outcome)
{
    release(exchange);
    std::lock_guard lock(exchange->mutex);
    if (exchange->done)
        return;
    outcome(*exchange);
    exchange->done = true;
    exchange->finished.notify_all();
}

void NetworkGateway::Transport::finish(const ExchangePointer &exchange, HttpResponse response)
{
    complete(exchange, [&](Exchange &done) { done.response = std::move(response); });
}

void NetworkGateway::Transport::fail(const ExchangePointer &exchange, const QString &message)
{
    complete(exchange, [&](Exchange &done) { done.error = message; });
}

void NetworkGateway::Transport::cancel(const ExchangePointer &exchange)
{
    complete(exchange, [](Exchange &done) { done.cancelled = true; });
}

void NetworkGateway::Transport::release(const ExchangePointer &exchange)
{
    if (exchange->stop == Exchange::Stop::none)
        exchange->stop = Exchange::Stop::caller; // nothing more may happen to it
    if (exchange->timer) {
        delete exchange->timer;
        exchange->timer = nullptr;
    }
    if (QNetworkReply *reply = exchange->reply) {
        exchange->reply = nullptr;
        QObject::disconnect(reply, nullptr, m_context, nullptr);
        reply->deleteLater();
    }
    std::erase(m_active, exchange);
}

NetworkGateway::NetworkGateway() : NetworkGateway(Options()) {}

NetworkGateway::NetworkGateway(Options options)
    : m_transport(std::make_shared<Transport>(std::move(options)))
{
    m_transport->start();
    HTTP::setTransport(m_transport);
}

NetworkGateway::~NetworkGateway()
{
    shutdown();
}

void NetworkGateway::shutdown()
{
    // Only uninstall what is still ours.
    auto current = HTTP::setTransport(nullptr);
    if (current != m_transport)
        HTTP::setTransport(std::move(current));
    m_transport->shutdown();
}

} // namespace vorla
