// Runs the built vorla binary as a real process: no display, a throw-away home and settings
// folder, and only the VORLA_ variables a test gives.
#pragma once

#include <QHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vorla::test {

struct VorlaRun
{
    int exitStatus = -1;
    QStringList lines; // standard output, one entry per line
    QByteArray standardError;
};

inline VorlaRun runVorla(const QHash<QString, QString> &variables, int timeoutMs = 120000)
{
    VorlaRun run;
    QTemporaryDir home;
    EXPECT_TRUE(home.isValid());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &key : environment.keys()) {
        if (key.startsWith(u"VORLA_") || key == u"QT_QPA_PLATFORM" || key == u"DISPLAY"
            || key == u"WAYLAND_DISPLAY")
            environment.remove(key);
    }
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    for (auto it = variables.begin(); it != variables.end(); ++it)
        environment.insert(it.key(), it.value());

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(home.path());
    process.start(QStringLiteral(VORLA_BINARY), {});
    if (!process.waitForFinished(timeoutMs)) {
        ADD_FAILURE() << "vorla did not finish";
        process.kill();
        process.waitForFinished();
        return run;
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    run.exitStatus = process.exitCode();
    run.standardError = process.readAllStandardError();
    QString output = QString::fromUtf8(process.readAllStandardOutput());
    if (output.endsWith(u'\n'))
        output.chop(1);
    if (!output.isEmpty())
        run.lines = output.split(u'\n');
    return run;
}

} // namespace vorla::test
