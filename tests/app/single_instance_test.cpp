// One Vorla per library, checked with the second (and third) Vorla started as real processes.
#include "app/single_instance.h"

#include "vorla_process.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

using namespace vorla;

namespace {

QProcessEnvironment windowedEnvironment(const QTemporaryDir &dir, const QString &store)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &key : environment.keys()) {
        if (key.startsWith(u"VORLA_"))
            environment.remove(key);
    }
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("VORLA_STORE"), store);
    environment.insert(QStringLiteral("HOME"), dir.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    return environment;
}

// Runs vorla while this process's event loop keeps going, so a SingleInstance here answers.
struct Finished
{
    int status = -1;
    QByteArray output;
    QByteArray errors;
};

Finished runAlongside(const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(VORLA_BINARY), {});
    if (!finished.wait(60000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "vorla did not finish";
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

TEST(SingleInstance, ASecondVorlaShowsTheFirstWindowAndLeaves)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Vorla.store"));
    SingleInstance first(store);
    ASSERT_EQ(first.claim(), SingleInstance::Claim::owner);
    QSignalSpy shown(&first, &SingleInstance::activationRequested);

    const Finished second = runAlongside(windowedEnvironment(dir, store));
    EXPECT_EQ(second.status, 0) << second.errors.toStdString();
    EXPECT_EQ(shown.count(), 1);
    EXPECT_TRUE(second.output.isEmpty()) << second.output.toStdString();
    // It opened neither the library nor a window.
    EXPECT_FALSE(QFileInfo::exists(store));
}

TEST(SingleInstance, AnOwnerThatDoesNotAnswerIsNamed)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Vorla.store"));
    QLockFile lock(store + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.tryLock(0));

    const test::VorlaRun second = test::runVorla({
        {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
        {QStringLiteral("VORLA_STORE"), store},
    });
    EXPECT_EQ(second.exitStatus, 1);
    EXPECT_EQ(QString::fromLocal8Bit(second.standardError).trimmed(),
        QStringLiteral("The Vorla library \u201c%1\u201d is in use by another Vorla (process %2).")
            .arg(store)
            .arg(QCoreApplication::applicationPid()));
    EXPECT_FALSE(QFileInfo::exists(store));

    // The diagnostic commands write no library and take no lock.
    const QString csv = dir.filePath(QStringLiteral("in.csv"));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Artist,Title\nCan,Tago Mago\n");
    file.close();
    const test::VorlaRun command = test::runVorla({
        {QStringLiteral("VORLA_STORE"), store},
        {QStringLiteral("VORLA_CSV_ROUNDTRIP"), csv},
    });
    EXPECT_EQ(command.exitStatus, 0);
    EXPECT_EQ(command.lines.size(), 1);
}

TEST(SingleInstance, ALockLeftByAKilledVorlaIsTakenOver)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Vorla.store"));
    QProcessEnvironment environment = windowedEnvironment(dir, store);

    // A first Vorla that stays up, killed once it holds the library.
    QProcess crashed;
    QProcessEnvironment longRun = environment;
    longRun.insert(QStringLiteral("VORLA_SNAPSHOT"), dir.filePath(QStringLiteral("never.png")));
    longRun.insert(QStringLiteral("VORLA_SNAPSHOT_DELAY"), QStringLiteral("600"));
    crashed.setProcessEnvironment(longRun);
    crashed.start(QStringLiteral(VORLA_BINARY), {});
    ASSERT_TRUE(crashed.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(store); }, 60000));
    ::kill(pid_t(crashed.processId()), SIGKILL);
    crashed.waitForFinished();
    ASSERT_TRUE(QFileInfo::exists(store + QStringLiteral(".lock")));

    // Other libraries are not in the way either.
    SingleInstance elsewhere(dir.filePath(QStringLiteral("Other.store")));
    ASSERT_EQ(elsewhere.claim(), SingleInstance::Claim::owner);

    environment.insert(QStringLiteral("VORLA_SNAPSHOT"), dir.filePath(QStringLiteral("shot.png")));
    environment.insert(QStringLiteral("VORLA_SNAPSHOT_DELAY"), QStringLiteral("0.2"));
    const Finished next = runAlongside(environment);
    EXPECT_EQ(next.status, 0) << next.errors.toStdString();
    EXPECT_TRUE(next.output.startsWith("Wrote ")) << next.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(store + QStringLiteral(".lock")));
}
