// The windowed application started as a real process on the offscreen platform.
#include "app/vorla_app.h"

#include "models/model_context.h"
#include "vorla_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vorla;
using vorla::test::runVorla;

namespace {

class VorlaAppTest : public testing::Test
{
protected:
    QHash<QString, QString> windowed(const QString &store)
    {
        return {
            { QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen") },
            { QStringLiteral("VORLA_STORE"), store },
            { QStringLiteral("VORLA_SNAPSHOT"), dir.filePath(QStringLiteral("shot.png")) },
            { QStringLiteral("VORLA_SNAPSHOT_DELAY"), QStringLiteral("0.2") },
            { QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")) },
            { QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")) },
        };
    }
    qsizetype storedRecords(const QString &store)
    {
        ModelContext context(store);
        return context.records().size();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(VorlaAppTest, SnapshotOfTheSeededMainWindow)
{
    const QString store = dir.filePath(QStringLiteral("v.store"));
    auto variables = windowed(store);
    variables.insert(QStringLiteral("VORLA_SEED_DEMO"), QStringLiteral("1"));
    const auto run = runVorla(variables);
    EXPECT_EQ(run.exitStatus, 0) << run.standardError.toStdString();
    const QString shot = dir.filePath(QStringLiteral("shot.png"));
    EXPECT_EQ(run.lines, QStringList { QStringLiteral("Wrote ") + shot });
    EXPECT_EQ(QImage(shot).size(), QSize(1200, 780));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("shot-1.png"))));
    EXPECT_EQ(storedRecords(store), 8);

    // Seeding happens only into an empty library.
    runVorla(variables);
    EXPECT_EQ(storedRecords(store), 8);
}

TEST_F(VorlaAppTest, OnlyExactlyOneSeedsDemoRecords)
{
    for (const char *value : { "true", "01", " 1", "" }) {
        SCOPED_TRACE(value);
        const QString store = dir.filePath(QStringLiteral("seed-%1.store").arg(qHash(value)));
        auto variables = windowed(store);
        variables.insert(QStringLiteral("VORLA_SEED_DEMO"), QString::fromLatin1(value));
        const auto run = runVorla(variables);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(storedRecords(store), 0);
    }
}

TEST_F(VorlaAppTest, AnUnopenableStoreStopsWithTheFatalMessage)
{
    QFile damaged(dir.filePath(QStringLiteral("damaged.store")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    const QByteArray garbage(4096, 'x');
    damaged.write(garbage);
    damaged.close();
    QDir().mkpath(dir.filePath(QStringLiteral("folder.store")));

    for (const QString &store :
        { damaged.fileName(), dir.filePath(QStringLiteral("folder.store")) }) {
        SCOPED_TRACE(store.toStdString());
        const auto run = runVorla(windowed(store));
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_TRUE(run.lines.isEmpty());
        const QByteArray prefix = "Could not open the Vorla library: ";
        QByteArray message;
        for (const QByteArray &line : run.standardError.split('\n')) {
            if (line.startsWith(prefix))
                message = line;
        }
        EXPECT_GT(message.size(), prefix.size()) << run.standardError.toStdString();
    }
    // The damaged file is reported, never altered.
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    EXPECT_EQ(damaged.readAll(), garbage);
}

TEST_F(VorlaAppTest, ADiagnosticCommandOpensNoStore)
{
    QFile damaged(dir.filePath(QStringLiteral("damaged.store")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(512, 'x'));
    damaged.close();
    const auto run = runVorla({
        { QStringLiteral("VORLA_STORE"), damaged.fileName() },
        { QStringLiteral("VORLA_CSV_ROUNDTRIP"), dir.filePath(QStringLiteral("missing.csv")) },
    });
    EXPECT_FALSE(run.standardError.contains("Could not open the Vorla library"));
    EXPECT_FALSE(run.lines.join(u'\n').contains(u"Could not open the Vorla library"));
}

TEST_F(VorlaAppTest, StoreLocationFromTheEnvironment)
{
    // An empty VORLA_STORE means the default location inside the data folder.
    const auto run = runVorla(windowed(QString()));
    EXPECT_EQ(run.exitStatus, 0) << run.standardError.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("data/Vorla/Vorla.store"))));

    // An explicit file creates no "Vorla" folder.
    QTemporaryDir other;
    auto variables = windowed(other.filePath(QStringLiteral("mine.store")));
    variables.insert(QStringLiteral("XDG_DATA_HOME"), other.filePath(QStringLiteral("data")));
    EXPECT_EQ(runVorla(variables).exitStatus, 0);
    EXPECT_TRUE(QFileInfo::exists(other.filePath(QStringLiteral("mine.store"))));
    EXPECT_FALSE(QFileInfo::exists(other.filePath(QStringLiteral("data/Vorla"))));
}

TEST_F(VorlaAppTest, TheListActionIsRemembered)
{
    auto variables = windowed(dir.filePath(QStringLiteral("v.store")));
    variables.insert(QStringLiteral("VORLA_SNAPSHOT_ACTION"), QStringLiteral("list"));
    EXPECT_EQ(runVorla(variables).exitStatus, 0);
    QSettings settings(
        dir.filePath(QStringLiteral("config/Vorla/Vorla.conf")), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("viewMode")).toString(), QStringLiteral("list"));
}

TEST(VorlaApp, FatalMessageText)
{
    EXPECT_EQ(VorlaApp::fatalStoreMessage(QStringLiteral("disk I/O error")),
        QStringLiteral("Could not open the Vorla library: disk I/O error"));
}
