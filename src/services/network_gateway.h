// The process's one connection to the web: a QNetworkAccessManager on its own thread that
// carries every HTTP::data() request. Create it in main() after the application object; it
// shuts down (and unblocks waiting workers) before the application object dies.
#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>

#include <chrono>
#include <memory>

namespace vorla {

class NetworkGateway
{
public:
    struct Options
    {
        // Empty: the user's cache location + "/http".
        QString cacheDirectory;
        // Replaces the system's trusted roots: for tests against a local server only.
        QList<QSslCertificate> caCertificatesForTesting;
        // Longest wait for the next bytes of an answer.
        std::chrono::milliseconds transferTimeout{20'000};
        // Longest time for a whole exchange, redirects included.
        std::chrono::milliseconds requestTimeout{60'000};
        // Larger answers fail instead of exhausting memory.
        qint64 maxBodySize = 32 * 1024 * 1024;
    };

    // Starts the network thread and installs the gateway as HTTP::data()'s transport.
    NetworkGateway();
    explicit NetworkGateway(Options options);
    ~NetworkGateway();
    NetworkGateway(const NetworkGateway &) = delete;
    NetworkGateway &operator=(const NetworkGateway &) = delete;

    // Aborts every exchange in flight (their callers end with CancelledError), refuses new
    // ones, stops the thread and uninstalls the transport. Safe to call twice.
    void shutdown();

private:
    class Transport;
    std::shared_ptr<Transport> m_transport;
};

} // namespace vorla
