// The gateway against a real TLS server on 127.0.0.1 with a certificate made for the test.
#include "services/network_gateway.h"

#include "models/error.h"
#include "services/http.h"
#include "services/lookup_error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>
#include <map>

using namespace Qt::StringLiterals;

using namespace vorla;
using namespace std::chrono_literals;

namespace {

struct ServerRequest
{
    QByteArray path;
    HttpHeaders headers;
};

struct ServerReply
{
    ServerReply(int status = 200, QByteArray body = {}) : status(status), body(std::move(body)) {}
    ServerReply &withHeader(const QByteArray &name, const QByteArray &value)
    {
        headers.append({name, value});
        return *this;
    }

    int status;
    QByteArray body;
    HttpHeaders headers;
    // Send the headers (if any) and then nothing more, keeping the connection open.
    bool stall = false;
    // No Content-Length: the body ends when the connection closes.
    bool untilClose = false;
};

// A small HTTPS/1.1 server on the test's own thread; one request per connection.
class TlsServer
{
public:
    TlsServer(const QSslCertificate &certificate, const QSslKey &key)
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(certificate);
        configuration.setPrivateKey(key);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        m_server.setSslConfiguration(configuration);
        QObject::connect(&m_server, &QTcpServer::pendingConnectionAvailable, &m_server,
                         [this] { accept(); });
        listening = m_server.listen(QHostAddress::LocalHost, 0);
    }

    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    void route(const QByteArray &path, ServerReply reply) { m_routes[path] = std::move(reply); }
    const QList<ServerRequest> &requests() const { return m_requests; }

    bool listening = false;

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(&m_server);
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QIODevice::readyRead, socket, [this, socket, buffer] {
                *buffer += socket->readAll();
                if (buffer->contains("\r\n\r\n"))
                    answer(socket, *buffer);
            });
        }
    }

    void answer(QTcpSocket *socket, const QByteArray &head)
    {
        const QList<QByteArray> lines = head.left(head.indexOf("\r\n\r\n")).split('\n');
        ServerRequest request;
        request.path = lines.value(0).split(' ').value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                request.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
        }
        m_requests.append(request);
        QObject::disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);

        const auto route = m_routes.find(request.path);
        const ServerReply reply = route == m_routes.end() ? ServerReply(404, "missing") : route->second;
        if (reply.stall && reply.headers.isEmpty())
            return;
        QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\n";
        out += "Connection: close\r\n";
        if (!reply.untilClose && !headerValue(reply.headers, "Content-Length"))
            out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        for (const auto &[name, value] : reply.headers)
            out += name + ": " + value + "\r\n";
        out += "\r\n";
        socket->write(out);
        if (reply.stall)
            return;
        socket->write(reply.body);
        socket->disconnectFromHost();
    }

    QSslServer m_server;
    std::map<QByteArray, ServerReply> m_routes;
    QList<ServerRequest> m_requests;
};

// Runs `work` on another thread (HTTP::data blocks) while this thread serves.
template<typename Work>
auto offMainThread(Work work)
{
    auto future = std::async(std::launch::async, std::move(work));
    while (future.wait_for(0ms) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return future.get();
}

QByteArray fetch(const QUrl &url, const HttpHeaders &headers = {}, std::stop_token stop = {})
{
    return offMainThread([=] { return HTTP::data(url, headers, stop); });
}

// The NetworkError message of a failing fetch, or a failure.
QString networkErrorOf(const QUrl &url, std::stop_token stop = {})
{
    try {
        fetch(url, {}, stop);
    } catch (const NetworkError &error) {
        return error.message();
    } catch (const std::exception &error) {
        return QStringLiteral("unexpected: ") + QString::fromUtf8(error.what());
    }
    return QStringLiteral("no error");
}

class NetworkGatewayTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_directory = new QTemporaryDir;
        const QString dir = s_directory->path();
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {u"req"_s, u"-x509"_s, u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s, u"ec_paramgen_curve:prime256v1"_s,
                       u"-nodes"_s, u"-days"_s, u"2"_s, u"-subj"_s, u"/CN=127.0.0.1"_s, u"-addext"_s,
                       u"subjectAltName=IP:127.0.0.1"_s, u"-keyout"_s, dir + u"/key.pem"_s, u"-out"_s,
                       dir + u"/cert.pem"_s});
        openssl.waitForFinished(30'000);
        const auto certificates = QSslCertificate::fromPath(dir + u"/cert.pem"_s);
        if (!certificates.isEmpty())
            s_certificate = new QSslCertificate(certificates.first());
        QFile keyFile(dir + u"/key.pem"_s);
        if (keyFile.open(QIODevice::ReadOnly))
            s_key = new QSslKey(keyFile.readAll(), QSsl::Ec);
    }
    static void TearDownTestSuite()
    {
        delete s_certificate;
        delete s_key;
        delete s_directory;
    }

    void SetUp() override
    {
        ASSERT_TRUE(QSslSocket::supportsSsl());
        ASSERT_TRUE(s_certificate && s_key && !s_key->isNull()) << "openssl made no certificate";
        server = std::make_unique<TlsServer>(*s_certificate, *s_key);
        ASSERT_TRUE(server->listening);
    }

    NetworkGateway::Options options() const
    {
        NetworkGateway::Options options;
        options.cacheDirectory = cache.path();
        options.caCertificatesForTesting = {*s_certificate};
        return options;
    }

    static inline QTemporaryDir *s_directory = nullptr;
    static inline QSslCertificate *s_certificate = nullptr;
    static inline QSslKey *s_key = nullptr;
    QTemporaryDir cache;
    std::unique_ptr<TlsServer> server;
};

} // namespace

TEST_F(NetworkGatewayTest, FetchesOverTlsWithTheUserAgent)
{
    NetworkGateway gateway(options());
    server->route("/hello", ServerReply(200, "hello over tls"));

    EXPECT_EQ(fetch(server->url(u"/hello"_s)), "hello over tls");
    ASSERT_EQ(server->requests().size(), 1);
    EXPECT_EQ(headerValue(server->requests()[0].headers, "User-Agent"),
              "Vorla/1.0 (Linux vinyl collection app)");
}

TEST_F(NetworkGatewayTest, HttpStatusesArriveAsAnswers)
{
    NetworkGateway gateway(options());
    server->route("/gone", ServerReply(404, "no such release"));
    server->route("/broken", ServerReply(500, "oops"));
    server->route("/empty", ServerReply(204));

    EXPECT_THROW(
        {
            try {
                fetch(server->url(u"/gone"_s));
            } catch (const LookupError &error) {
                EXPECT_EQ(error, LookupError::notFound());
                throw;
            }
        },
        LookupError);
    try {
        fetch(server->url(u"/broken"_s));
        ADD_FAILURE() << "no error";
    } catch (const LookupError &error) {
        EXPECT_EQ(error, LookupError::http(500));
    }
    EXPECT_EQ(fetch(server->url(u"/empty"_s)), QByteArray());
}

TEST_F(NetworkGatewayTest, FollowsRedirectsToOtherHttpsPathsKeepingTheTokenOnTheSameOrigin)
{
    NetworkGateway gateway(options());
    server->route("/old", ServerReply(302).withHeader("Location", "/new"));
    server->route("/new", ServerReply(301).withHeader("Location", server->url(u"/newest"_s).toEncoded()));
    server->route("/newest", ServerReply(200, "moved here"));

    EXPECT_EQ(fetch(server->url(u"/old"_s), {{"Authorization", "Discogs token=secret"}}), "moved here");
    const auto &requests = server->requests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[2].path, "/newest");
    for (const auto &request : requests)
        EXPECT_EQ(headerValue(request.headers, "Authorization"), "Discogs token=secret");
}

TEST_F(NetworkGatewayTest, DropsTheTokenOnRedirectsToAnotherOrigin)
{
    NetworkGateway gateway(options());
    TlsServer other(*s_certificate, *s_key);
    ASSERT_TRUE(other.listening);
    other.route("/image.jpg", ServerReply(200, "jpeg bytes"));
    server->route("/cover", ServerReply(302).withHeader("Location", other.url(u"/image.jpg"_s).toEncoded()));

    EXPECT_EQ(fetch(server->url(u"/cover"_s), {{"Authorization", "Discogs token=secret"}, {"Accept", "*/*"}}),
              "jpeg bytes");
    ASSERT_EQ(server->requests().size(), 1);
    EXPECT_TRUE(headerValue(server->requests()[0].headers, "Authorization"));
    ASSERT_EQ(other.requests().size(), 1);
    EXPECT_FALSE(headerValue(other.requests()[0].headers, "Authorization"));
    EXPECT_EQ(headerValue(other.requests()[0].headers, "Accept"), "*/*");
    EXPECT_EQ(headerValue(other.requests()[0].headers, "User-Agent"),
              "Vorla/1.0 (Linux vinyl collection app)");
}

TEST_F(NetworkGatewayTest, RefusesRedirectsToPlainHttpAndEndlessRedirects)
{
    NetworkGateway gateway(options());
    server->route("/a", ServerReply(302).withHeader("Location", "http://127.0.0.1:9/b"));
    try {
        fetch(server->url(u"/a"_s));
        ADD_FAILURE() << "no error";
    } catch (const LookupError &error) {
        EXPECT_EQ(error, LookupError::http(302));
    }
    EXPECT_EQ(server->requests().size(), 1);

    server->route("/loop", ServerReply(302).withHeader("Location", "/loop"));
    EXPECT_EQ(networkErrorOf(server->url(u"/loop"_s)),
              QStringLiteral("The server redirected the request too many times."));
}

TEST_F(NetworkGatewayTest, StopCutsAStalledAnswerAtOnce)
{
    NetworkGateway gateway(options());
    ServerReply stalled;
    stalled.stall = true;
    server->route("/stall", stalled);

    std::stop_source source;
    QElapsedTimer clock;
    clock.start();
    auto future = std::async(std::launch::async,
                             [&] { return HTTP::data(server->url(u"/stall"_s), {}, source.get_token()); });
    while (server->requests().isEmpty() && clock.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(server->requests().size(), 1);
    const qint64 stoppedAt = clock.elapsed();
    source.request_stop();
    while (future.wait_for(0ms) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_THROW(future.get(), CancelledError);
    EXPECT_LT(clock.elapsed() - stoppedAt, 1000);
}

TEST_F(NetworkGatewayTest, OversizedAnswersFailCleanly)
{
    auto limited = options();
    limited.maxBodySize = 1024 * 1024;
    NetworkGateway gateway(limited);
    ServerReply streamed(200, QByteArray(limited.maxBodySize + 1, 'x'));
    streamed.untilClose = true;
    server->route("/streamed", streamed);
    ServerReply declared(200);
    declared.withHeader("Content-Length", QByteArray::number(limited.maxBodySize * 100));
    declared.stall = true;
    server->route("/declared", declared);
    server->route("/fits", ServerReply(200, QByteArray(limited.maxBodySize, 'y')));

    EXPECT_EQ(networkErrorOf(server->url(u"/streamed"_s)),
              QStringLiteral("The server's answer is larger than 1 MiB."));
    EXPECT_EQ(networkErrorOf(server->url(u"/declared"_s)),
              QStringLiteral("The server's answer is larger than 1 MiB."));
    EXPECT_EQ(fetch(server->url(u"/fits"_s)).size(), limited.maxBodySize);
}

TEST_F(NetworkGatewayTest, CapsBodiesAt32MiB)
{
    NetworkGateway gateway(options());
    ServerReply huge(200, QByteArray(32 * 1024 * 1024 + 1, 'z'));
    huge.untilClose = true;
    server->route("/huge", huge);
    EXPECT_EQ(networkErrorOf(server->url(u"/huge"_s)),
              QStringLiteral("The server's answer is larger than 32 MiB."));
}

TEST_F(NetworkGatewayTest, StalledAnswersTimeOut)
{
    ServerReply stalled;
    stalled.stall = true;
    server->route("/stall", stalled);
    ServerReply trickle(200);
    trickle.withHeader("Content-Length", "100");
    trickle.stall = true;
    server->route("/trickle", trickle);

    {
        auto quick = options();
        quick.transferTimeout = 200ms;
        NetworkGateway gateway(quick);
        EXPECT_EQ(networkErrorOf(server->url(u"/stall"_s)), QStringLiteral("The request timed out."));
        EXPECT_EQ(networkErrorOf(server->url(u"/trickle"_s)), QStringLiteral("The request timed out."));
    }
    {
        auto quick = options();
        quick.requestTimeout = 300ms;
        NetworkGateway gateway(quick);
        EXPECT_EQ(networkErrorOf(server->url(u"/stall"_s)), QStringLiteral("The request timed out."));
    }
}

TEST_F(NetworkGatewayTest, UntrustedCertificatesFail)
{
    auto systemRoots = options();
    systemRoots.caCertificatesForTesting.clear();
    NetworkGateway gateway(systemRoots);
    server->route("/hello", ServerReply(200, "must not arrive"));
    const QString message = networkErrorOf(server->url(u"/hello"_s));
    EXPECT_TRUE(message.contains(QLatin1String("SSL"), Qt::CaseInsensitive)) << message.toStdString();
}

TEST_F(NetworkGatewayTest, CachesPublicAnswersButNotTokenOnes)
{
    NetworkGateway gateway(options());
    server->route("/public", ServerReply(200, "public").withHeader("Cache-Control", "max-age=3600"));
    server->route("/private", ServerReply(200, "private").withHeader("Cache-Control", "max-age=3600"));

    EXPECT_EQ(fetch(server->url(u"/public"_s)), "public");
    EXPECT_EQ(fetch(server->url(u"/public"_s)), "public");
    const HttpHeaders token = {{"Authorization", "Discogs token=secret"}};
    EXPECT_EQ(fetch(server->url(u"/private"_s), token), "private");
    EXPECT_EQ(fetch(server->url(u"/private"_s), token), "private");

    QList<QByteArray> paths;
    for (const auto &request : server->requests())
        paths.append(request.path);
    EXPECT_EQ(paths, (QList<QByteArray>{"/public", "/private", "/private"}));
}

TEST_F(NetworkGatewayTest, ShutdownUnblocksWaitingCallersAndRefusesNewOnes)
{
    NetworkGateway gateway(options());
    ServerReply stalled;
    stalled.stall = true;
    server->route("/stall", stalled);

    auto future = std::async(std::launch::async, [&] { return HTTP::data(server->url(u"/stall"_s), {}); });
    QElapsedTimer clock;
    clock.start();
    while (server->requests().isEmpty() && clock.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    gateway.shutdown();
    EXPECT_THROW(future.get(), CancelledError);
    EXPECT_THROW(fetch(server->url(u"/stall"_s)), NetworkError);
    gateway.shutdown();
}
