#include "services/discogs_token.h"

#include "services/keychain.h"

#include <QStringList>
#include <QUuid>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace vorla;

namespace {

// A keyring item in memory; a refused save keeps what was stored, as the keyring does.
class FakeStore : public DiscogsToken::Store
{
public:
    std::optional<QString> read() override
    {
        ++reads;
        std::lock_guard lock(mutex);
        return item;
    }
    int save(const QString &value) override
    {
        std::lock_guard lock(mutex);
        saved.append(value);
        if (status == 0)
            item = value.isEmpty() ? std::nullopt : std::optional(value);
        return status;
    }

    std::mutex mutex;
    std::optional<QString> item;
    int status = 0;
    std::atomic<int> reads = 0;
    QStringList saved;
};

class DiscogsTokenTest : public testing::Test
{
protected:
    void SetUp() override
    {
        qunsetenv("VORLA_DISCOGS_TOKEN");
        DiscogsToken::setStoreForTesting(store);
    }
    void TearDown() override
    {
        qunsetenv("VORLA_DISCOGS_TOKEN");
        DiscogsToken::setStoreForTesting(nullptr);
    }

    std::shared_ptr<FakeStore> store = std::make_shared<FakeStore>();
};

} // namespace

TEST_F(DiscogsTokenTest, EnvironmentComesFirstAndIsTrimmed)
{
    store->item = QStringLiteral("from-keyring");
    qputenv("VORLA_DISCOGS_TOKEN", "from-env \t");
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("from-env"));
    EXPECT_EQ(store->reads, 0);
}

TEST_F(DiscogsTokenTest, BlankOrUnsafeEnvironmentFallsBackToTheKeyring)
{
    const char *values[] = {"   ", "\t", "", "abc\ndef", "abc\r", "tok\x7f"};
    for (const char *env : values) {
        SCOPED_TRACE(testing::PrintToString(env));
        DiscogsToken::setStoreForTesting(store);
        store->item = QStringLiteral(" keyring-token\t");
        qputenv("VORLA_DISCOGS_TOKEN", env);
        EXPECT_EQ(DiscogsToken::value(), QStringLiteral("keyring-token"));
    }
}

TEST_F(DiscogsTokenTest, IsReadOnceAndNotReloaded)
{
    EXPECT_EQ(DiscogsToken::value(), std::nullopt);
    store->item = QStringLiteral("added-by-another-program");
    EXPECT_EQ(DiscogsToken::value(), std::nullopt);
    EXPECT_EQ(store->reads, 1);

    EXPECT_TRUE(DiscogsToken::set(QStringLiteral("mine")));
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("mine"));
    EXPECT_EQ(store->reads, 1);
}

TEST_F(DiscogsTokenTest, KeyringTokenWithControlCharacterCountsAsAbsent)
{
    store->item = QStringLiteral("abc\ndef");
    EXPECT_EQ(DiscogsToken::value(), std::nullopt);
}

TEST_F(DiscogsTokenTest, SetTrimsStoresAndReplacesTheEnvironmentToken)
{
    qputenv("VORLA_DISCOGS_TOKEN", "from-env");
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("from-env"));

    EXPECT_TRUE(DiscogsToken::set(QStringLiteral("  new-token \r\n")));
    EXPECT_EQ(store->saved, QStringList{QStringLiteral("new-token")});
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("new-token"));
}

TEST_F(DiscogsTokenTest, SetOfBlankDeletesTheToken)
{
    store->item = QStringLiteral("old");
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("old"));
    EXPECT_TRUE(DiscogsToken::set(QStringLiteral(" \n\t ")));
    EXPECT_EQ(store->saved, QStringList{QString()});
    EXPECT_EQ(store->item, std::nullopt);
    EXPECT_EQ(DiscogsToken::value(), std::nullopt);
}

TEST_F(DiscogsTokenTest, RefusedSaveKeepsTheStoredTokenAndTheOneInUse)
{
    store->item = QStringLiteral("old");
    store->status = Keychain::kKeyringLocked;
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("old"));
    EXPECT_FALSE(DiscogsToken::set(QStringLiteral("new")));
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("old"));
    EXPECT_EQ(store->item, QStringLiteral("old"));
    // Removing fails the same way: the old token stays in use.
    EXPECT_FALSE(DiscogsToken::set(QString()));
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("old"));
}

TEST_F(DiscogsTokenTest, RefusesTokensWithControlCharacters)
{
    const QString tokens[] = {
        QStringLiteral("abc\r\nX-Injected: 1"),
        QStringLiteral("abc\ndef"),
        QString(QStringLiteral("abc")) + QChar(0) + QStringLiteral("def"),
        QStringLiteral("abc\x1b" "def"),
        QStringLiteral("abc\x7f"),
        QStringLiteral("abc\u0085def"),
    };
    store->item = QStringLiteral("old");
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("old"));
    for (const QString &token : tokens) {
        SCOPED_TRACE(token.toStdString());
        EXPECT_FALSE(DiscogsToken::set(token));
    }
    EXPECT_TRUE(store->saved.isEmpty());
    EXPECT_EQ(store->item, QStringLiteral("old"));
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("old"));
}

TEST_F(DiscogsTokenTest, ConcurrentFirstReadersAskTheKeyringOnce)
{
    store->item = QStringLiteral("shared");
    std::vector<std::optional<QString>> values(16);
    {
        std::vector<std::jthread> threads;
        for (auto &value : values)
            threads.emplace_back([&value] { value = DiscogsToken::value(); });
    }
    for (const auto &value : values)
        EXPECT_EQ(value, QStringLiteral("shared"));
    EXPECT_EQ(store->reads, 1);
}

// The keyring item for real, under a service name of this test (scripts/test's keyring).
TEST(DiscogsTokenKeyring, StoresTheTokenInTheKeyring)
{
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        GTEST_SKIP() << "no session bus; scripts/test provides one with a keyring";
    class TestKeyring : public DiscogsToken::Store
    {
    public:
        std::optional<QString> read() override { return Keychain::read(service, account); }
        int save(const QString &value) override { return Keychain::save(value, service, account); }
        const QString service = QStringLiteral("com.vorla.app.tests.") + QUuid::createUuid().toString();
        const QString account = QString::fromLatin1(DiscogsToken::kAccount);
    };
    auto keyring = std::make_shared<TestKeyring>();
    qunsetenv("VORLA_DISCOGS_TOKEN");
    DiscogsToken::setStoreForTesting(keyring);

    EXPECT_TRUE(DiscogsToken::set(QStringLiteral(" real-token\n")));
    EXPECT_EQ(Keychain::read(keyring->service, keyring->account), QStringLiteral("real-token"));
    DiscogsToken::setStoreForTesting(keyring); // forgets the cache: the next read asks the keyring
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("real-token"));
    EXPECT_TRUE(DiscogsToken::set(QString()));
    EXPECT_EQ(Keychain::read(keyring->service, keyring->account), std::nullopt);
    DiscogsToken::setStoreForTesting(nullptr);
}
