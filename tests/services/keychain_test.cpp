// The keyring for real: scripts/test runs the suites inside a private D-Bus session with an
// unlocked gnome-keyring. Each test uses its own service name, so parallel runs do not meet.
#include <libsecret/secret.h>

#include "services/keychain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QUuid>

#include <gtest/gtest.h>

#include <future>

using namespace vorla;
using namespace std::chrono_literals;

namespace {

QString uniqueService()
{
    return QStringLiteral("com.vorla.app.tests.") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Items of that service in the keyring, counted by asking the Secret Service directly.
int itemCount(const QString &service)
{
    GError *error = nullptr;
    GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
        return -1;
    }
    GVariantBuilder attributes;
    g_variant_builder_init(&attributes, G_VARIANT_TYPE("a{ss}"));
    const QByteArray value = service.toUtf8();
    g_variant_builder_add(&attributes, "{ss}", "service", value.constData());
    GVariant *reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.secrets", "/org/freedesktop/secrets", "org.freedesktop.Secret.Service",
        "SearchItems", g_variant_new("(a{ss})", &attributes), G_VARIANT_TYPE("(aoao)"),
        G_DBUS_CALL_FLAGS_NONE, 3000, nullptr, &error);
    g_object_unref(bus);
    if (!reply) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
        return -1;
    }
    GVariant *unlocked = g_variant_get_child_value(reply, 0);
    GVariant *locked = g_variant_get_child_value(reply, 1);
    const int count = int(g_variant_n_children(unlocked) + g_variant_n_children(locked));
    g_variant_unref(unlocked);
    g_variant_unref(locked);
    g_variant_unref(reply);
    return count;
}

// The real keyring tests need the Secret Service of a session bus.
class KeychainTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
            GTEST_SKIP() << "no session bus; scripts/test provides one with a keyring";
    }
    void TearDown() override
    {
        Keychain::save(QString(), service, QStringLiteral("discogs-token"));
        Keychain::save(QString(), service, QStringLiteral("other"));
    }

    const QString service = uniqueService();
    const QString account = QStringLiteral("discogs-token");
};

} // namespace

TEST_F(KeychainTest, SavesReplacesInPlaceAndDeletes)
{
    EXPECT_EQ(Keychain::read(service, account), std::nullopt);

    ASSERT_EQ(Keychain::save(QStringLiteral("first-token"), service, account), 0)
        << "is a Secret Service running and unlocked?";
    EXPECT_EQ(Keychain::read(service, account), QStringLiteral("first-token"));

    EXPECT_EQ(Keychain::save(QStringLiteral("second-token"), service, account), 0);
    EXPECT_EQ(Keychain::read(service, account), QStringLiteral("second-token"));
    EXPECT_EQ(itemCount(service), 1);

    EXPECT_EQ(Keychain::save(QString(), service, account), 0);
    EXPECT_EQ(Keychain::read(service, account), std::nullopt);
    EXPECT_EQ(itemCount(service), 0);
    // Nothing left to delete is still success.
    EXPECT_EQ(Keychain::save(QString(), service, account), 0);
}

TEST_F(KeychainTest, KeepsAccountsApartAndTextIntact)
{
    const QString token = QStringLiteral("tökén ✓ 東京 with spaces ");
    ASSERT_EQ(Keychain::save(token, service, account), 0);
    ASSERT_EQ(Keychain::save(QStringLiteral("another"), service, QStringLiteral("other")), 0);
    EXPECT_EQ(Keychain::read(service, account), token);
    EXPECT_EQ(Keychain::read(service, QStringLiteral("other")), QStringLiteral("another"));
    EXPECT_EQ(Keychain::read(uniqueService(), account), std::nullopt);
}

TEST(Keychain, AStuckCallIsAbandonedAndLaterCallsTimeOut)
{
    std::promise<void> release;
    const auto released = release.get_future().share();
    auto unblock = qScopeGuard([&] { release.set_value(); });
    const QString service = uniqueService();

    EXPECT_FALSE(Keychain::runOnKeyringThread([released] { released.wait(); }, 50ms));

    Keychain::setTimeoutForTesting(100ms);
    auto restore = qScopeGuard([] { Keychain::setTimeoutForTesting(3000ms); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Keychain::read(service, QStringLiteral("discogs-token")), std::nullopt);
    EXPECT_EQ(Keychain::save(QString(), service, QStringLiteral("discogs-token")), Keychain::kTimedOut);
    EXPECT_LT(clock.elapsed(), 2000);

    unblock.dismiss();
    release.set_value();
    // The abandoned calls ran on, and the thread still serves.
    EXPECT_TRUE(Keychain::runOnKeyringThread([] {}, 5s));
}

// Run by the test below in a process without a Secret Service.
TEST(KeychainChild, DISABLED_WithoutSecretService)
{
    QElapsedTimer clock;
    clock.start();
    const QString service = uniqueService();
    EXPECT_EQ(Keychain::read(service, QStringLiteral("discogs-token")), std::nullopt);
    EXPECT_NE(Keychain::save(QStringLiteral("token"), service, QStringLiteral("discogs-token")), 0);
    EXPECT_LT(clock.elapsed(), 7000);
}

TEST(Keychain, WithoutSecretServiceReadsNothingAndSaveFailsWithoutHanging)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=/nonexistent/vorla-test-bus"));
    environment.remove(QStringLiteral("DISPLAY"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=KeychainChild.DISABLED_WithoutSecretService")});
    ASSERT_TRUE(child.waitForFinished(30'000)) << "the keyring calls hung";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}
