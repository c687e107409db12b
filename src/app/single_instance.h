// One Vorla per library: each save writes whole records from its own copy, so two processes
// on one file would overwrite each other's edits. The first process takes a lock beside the
// library and listens on a local socket named after it; a later one asks it to show its
// window instead of opening the library a second time.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace vorla {

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim {
        owner,      // this process has the library
        handedOver, // another Vorla has it and showed its window
        busy,       // another Vorla has it and did not answer in time
    };

    // How long a later process waits for the owner's answer.
    static constexpr int kAnswerTimeoutMs = 2000;

    explicit SingleInstance(const QString &libraryPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the library (a lock left by a process that is gone is taken over) or asks its
    // owner to show its window.
    Claim claim();
    // The process holding the library when claim() said busy.
    qint64 owner() const { return m_owner; }
    // "The Vorla library “…” is in use by another Vorla (process N)."
    QString busyMessage() const;

    // The local socket of a library, keyed by its absolute path.
    static QString serverName(const QString &libraryPath);

signals:
    // A later Vorla on the same library asks for the window.
    void activationRequested();

private:
    bool askOwnerToShow();
    void listen();

    QString m_libraryPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    qint64 m_owner = 0;
};

} // namespace vorla
