#include "app/vorla_process.h"
#include "models/error.h"
#include "models/model_context.h"
#include "models/persistence.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

struct ScopedStoreVariable
{
    explicit ScopedStoreVariable(const QByteArray &value) { qputenv("VORLA_STORE", value); }
    ~ScopedStoreVariable() { qunsetenv("VORLA_STORE"); }
};

} // namespace

TEST(Persistence, StoreLocation)
{
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    {
        ScopedStoreVariable empty("");
        const bool existed = QFileInfo::exists(dataFolder + QStringLiteral("/Vorla"));
        EXPECT_EQ(Persistence::storeURL().toLocalFile(), dataFolder + QStringLiteral("/Vorla/Vorla.store"));
        EXPECT_TRUE(QFileInfo(dataFolder + QStringLiteral("/Vorla")).isDir());
        // The folder made for the library is its owner's alone.
        if (!existed) {
            EXPECT_EQ(QFileInfo(dataFolder + QStringLiteral("/Vorla")).permissions()
                    & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::ExeOther),
                QFileDevice::Permissions());
        }
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("elsewhere/My.store"));
    ScopedStoreVariable set(file.toUtf8());
    EXPECT_EQ(Persistence::storeURL(), QUrl::fromLocalFile(file));
    // No folder is made for a chosen location.
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("elsewhere"))));
    EXPECT_THROW(Persistence::makeContainer(), StoreError);
}

TEST(Persistence, RelativeStorePathResolvesAgainstWorkingFolder)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    {
        ScopedStoreVariable relative("lib.store");
        EXPECT_EQ(Persistence::storeURL().toLocalFile(), QDir(dir.path()).filePath(QStringLiteral("lib.store")));
        EXPECT_NO_THROW(Persistence::makeContainer());
    }
    QDir::setCurrent(previous);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("lib.store"))));
}

TEST(Persistence, DamagedLibraryStopsTheApplication)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Vorla.store"));
    QFile file(store);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2048, 'z'));
    file.close();
    const test::VorlaRun run = test::runVorla({{QStringLiteral("VORLA_STORE"), store},
                                               {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_TRUE(run.standardError.contains("Could not open the Vorla library: The library file"))
        << run.standardError.constData();
}
