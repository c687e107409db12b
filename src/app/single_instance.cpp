#include "app/single_instance.h"

#include "models/quoted_file_name.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace vorla {

namespace {

constexpr char kShowRequest[] = "show\n";
constexpr char kShownAnswer[] = "shown\n";

// The library's path as one process and another both spell it, also before the file exists.
QString absoluteLibraryPath(const QString &libraryPath)
{
    const QFileInfo info(libraryPath);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

} // namespace

SingleInstance::SingleInstance(const QString &libraryPath, QObject *parent)
    : QObject(parent)
    , m_libraryPath(absoluteLibraryPath(libraryPath))
    , m_lock(m_libraryPath + QStringLiteral(".lock"))
{
    // Only a lock whose process is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString &libraryPath)
{
    const QByteArray key = QCryptographicHash::hash(absoluteLibraryPath(libraryPath).toUtf8(),
                                                    QCryptographicHash::Sha256)
                               .toHex()
                               .left(32);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/vorla-") + QString::fromLatin1(key);
}

SingleInstance::Claim SingleInstance::claim()
{
    if (m_lock.tryLock(0)) {
        listen();
        return Claim::owner;
    }
    if (m_lock.error() == QLockFile::LockFailedError) {
        QString host;
        QString application;
        m_lock.getLockInfo(&m_owner, &host, &application);
        return askOwnerToShow() ? Claim::handedOver : Claim::busy;
    }
    // No lock can be made beside a library in a folder that cannot be written; such a
    // library opens read-only, so nothing can be overwritten. A running Vorla still shows
    // its window rather than have a second one.
    if (askOwnerToShow())
        return Claim::handedOver;
    listen();
    return Claim::owner;
}

QString SingleInstance::busyMessage() const
{
    return QCoreApplication::translate("SingleInstance",
                                       "The Vorla library %1 is in use by another Vorla (process %2).")
        .arg(quotedFileName(m_libraryPath))
        .arg(m_owner);
}

bool SingleInstance::askOwnerToShow()
{
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    QLocalSocket socket;
    socket.connectToServer(serverName(m_libraryPath));
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine() == kShownAnswer;
}

void SingleInstance::listen()
{
    const QString name = serverName(m_libraryPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the library, so a socket left by a crashed owner is stale.
    QLocalServer::removeServer(name);
    if (!m_server->listen(name))
        return; // later processes then find no owner to ask and say the library is in use
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kShowRequest) {
                    emit activationRequested();
                    socket->write(kShownAnswer);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

} // namespace vorla
