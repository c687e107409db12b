#include "views/settings_window.h"

#include "isolated_settings.h"
#include "support/fake_keyring.h"

#include "app/app_settings.h"
#include "models/persistence.h"
#include "services/discogs_token.h"
#include "services/keychain.h"
#include "services/lookup_error.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

using namespace vorla;

namespace {

// Discogs' identity answer, held back until the test lets it through.
struct FakeIdentity
{
    struct State
    {
        std::mutex lock;
        QStringList tokens;
        QString userName = QStringLiteral("collector42");
        bool rejects = false;
        std::atomic<bool> open { true };
    };
    std::shared_ptr<State> state = std::make_shared<State>();

    SettingsWindow::IdentityCheck check() const
    {
        return [state = state](const QString &token, std::stop_token stop) {
            {
                std::lock_guard guard(state->lock);
                state->tokens.append(token);
            }
            while (!state->open && !stop.stop_requested())
                QThread::msleep(1);
            if (state->rejects)
                throw LookupError::unauthorized();
            return state->userName;
        };
    }
    QStringList tokens()
    {
        std::lock_guard guard(state->lock);
        return state->tokens;
    }
};

class SettingsWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        qunsetenv("VORLA_DISCOGS_TOKEN");
        DiscogsToken::setStoreForTesting(keyring);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        qunsetenv("VORLA_DISCOGS_TOKEN");
        qunsetenv("VORLA_STORE");
        DiscogsToken::setStoreForTesting(nullptr);
        QLocale::setDefault(QLocale::system());
    }
    std::unique_ptr<SettingsWindow> makeWindow()
    {
        auto window = std::make_unique<SettingsWindow>(
            settings, identity.check(), [this](const QUrl &file) { revealed.append(file); });
        window->show();
        return window;
    }
    static QLineEdit *tokenField(SettingsWindow &window)
    {
        return window.findChild<QLineEdit *>(QStringLiteral("tokenField"));
    }
    static QPushButton *saveButton(SettingsWindow &window)
    {
        return window.findChild<QPushButton *>(QStringLiteral("saveTokenButton"));
    }
    static QString statusText(SettingsWindow &window)
    {
        return window.findChild<QLabel *>(QStringLiteral("tokenStatusText"))->text();
    }
    static void waitForField(SettingsWindow &window, const QString &text)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return tokenField(window)->text() == text; }, 5000));
    }
    static void waitUntilChecked(SettingsWindow &window)
    {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window.tokenStatus() != SettingsWindow::TokenStatus::checking; }, 5000));
    }
    void saveToken(SettingsWindow &window, const QString &text)
    {
        tokenField(window)->setText(text);
        saveButton(window)->click();
        waitUntilChecked(window);
    }

    vorla::test::IsolatedSettings isolated;
    AppSettings &settings = AppSettings::shared();
    std::shared_ptr<test::FakeKeyring> keyring = std::make_shared<test::FakeKeyring>();
    FakeIdentity identity;
    QList<QUrl> revealed;
};

} // namespace

TEST_F(SettingsWindowTest, ShowsTheStoredTokenMaskedAndVerifiesNothingOnOpening)
{
    keyring->item = QStringLiteral("stored-token");
    auto window = makeWindow();
    EXPECT_EQ(tokenField(*window)->echoMode(), QLineEdit::Password);
    waitForField(*window, QStringLiteral("stored-token"));
    EXPECT_EQ(window->tokenStatus(), SettingsWindow::TokenStatus::unknown);
    EXPECT_TRUE(window->findChild<QWidget *>(QStringLiteral("tokenStatus"))->isHidden());
    EXPECT_TRUE(identity.tokens().isEmpty());
}

TEST_F(SettingsWindowTest, ValidTokenIsStoredTrimmedAndConnected)
{
    auto window = makeWindow();
    identity.state->open = false;
    tokenField(*window)->setText(QStringLiteral("  abc123 \r\n"));
    saveButton(*window)->click();
    EXPECT_EQ(tokenField(*window)->text(), QStringLiteral("abc123"));
    EXPECT_EQ(window->tokenStatus(), SettingsWindow::TokenStatus::checking);
    EXPECT_EQ(statusText(*window), QStringLiteral("Checking…"));
    EXPECT_FALSE(saveButton(*window)->isEnabled());
    identity.state->open = true;
    waitUntilChecked(*window);
    EXPECT_EQ(window->tokenStatus(), SettingsWindow::TokenStatus::valid);
    EXPECT_EQ(statusText(*window), QStringLiteral("Connected as collector42"));
    EXPECT_TRUE(saveButton(*window)->isEnabled());
    EXPECT_EQ(keyring->savedValues(), QStringList { QStringLiteral("abc123") });
    EXPECT_EQ(identity.tokens(), QStringList { QStringLiteral("abc123") });
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("abc123"));
}

TEST_F(SettingsWindowTest, RejectedTokenStaysStored)
{
    identity.state->rejects = true;
    auto window = makeWindow();
    saveToken(*window, QStringLiteral("wrong"));
    EXPECT_EQ(window->tokenStatus(), SettingsWindow::TokenStatus::invalid);
    EXPECT_EQ(statusText(*window), LookupError::errorDescription(LookupError::Kind::unauthorized));
    EXPECT_EQ(keyring->item, QStringLiteral("wrong"));
}

TEST_F(SettingsWindowTest, BlankTokenRemovesTheStoredOne)
{
    keyring->item = QStringLiteral("old");
    auto window = makeWindow();
    waitForField(*window, QStringLiteral("old"));
    saveToken(*window, QStringLiteral(" \n\t "));
    EXPECT_EQ(window->tokenStatus(), SettingsWindow::TokenStatus::saved);
    EXPECT_EQ(statusText(*window), QStringLiteral("Token removed"));
    EXPECT_EQ(tokenField(*window)->text(), QString());
    EXPECT_EQ(keyring->item, std::nullopt);
    EXPECT_EQ(DiscogsToken::value(), std::nullopt);
    EXPECT_TRUE(identity.tokens().isEmpty());
}

TEST_F(SettingsWindowTest, KeyringFailureKeepsTheTokenInUse)
{
    keyring->item = QStringLiteral("old");
    keyring->status = Keychain::kKeyringLocked;
    auto window = makeWindow();
    waitForField(*window, QStringLiteral("old"));
    saveToken(*window, QStringLiteral("new"));
    EXPECT_EQ(window->tokenStatus(), SettingsWindow::TokenStatus::invalid);
    EXPECT_EQ(statusText(*window),
        QStringLiteral("Couldn't save to the keyring. The token in use is unchanged."));
    EXPECT_EQ(DiscogsToken::value(), QStringLiteral("old"));
    EXPECT_TRUE(identity.tokens().isEmpty());
}

TEST_F(SettingsWindowTest, EnvironmentTokenIsNotCopiedIntoTheKeyring)
{
    qputenv("VORLA_DISCOGS_TOKEN", "from-environment");
    DiscogsToken::setStoreForTesting(keyring);
    {
        auto window = makeWindow();
        waitForField(*window, QStringLiteral("from-environment"));
        window->close();
    }
    QTest::qWait(20);
    EXPECT_TRUE(keyring->savedValues().isEmpty());
    EXPECT_EQ(keyring->item, std::nullopt);
}

TEST_F(SettingsWindowTest, CurrencyRowsAndChoice)
{
    EXPECT_EQ(SettingsWindow::currencyRowText(QStringLiteral("EUR")), QStringLiteral("EUR — Euro"));
    EXPECT_EQ(
        SettingsWindow::currencies(QLocale(QLocale::English, QLocale::UnitedStates)).size(), 11);
    EXPECT_EQ(SettingsWindow::currencies(QLocale(QLocale::Swedish, QLocale::Sweden)).size(), 11);
    const QStringList brazil
        = SettingsWindow::currencies(QLocale(QLocale::Portuguese, QLocale::Brazil));
    ASSERT_EQ(brazil.size(), 12);
    EXPECT_EQ(brazil.last(), QStringLiteral("BRL"));
    EXPECT_EQ(brazil.first(), QStringLiteral("USD"));

    settings.setCurrencyCode(QStringLiteral("GBP"));
    auto window = makeWindow();
    auto *picker = window->findChild<QComboBox *>(QStringLiteral("currencyPicker"));
    EXPECT_EQ(picker->currentData().toString(), QStringLiteral("GBP"));
    EXPECT_EQ(picker->itemText(0), QStringLiteral("USD — US Dollar"));
    const int chf = picker->findData(QStringLiteral("CHF"));
    picker->setCurrentIndex(chf);
    emit picker->activated(chf);
    EXPECT_EQ(settings.currencyCode(), QStringLiteral("CHF"));
    settings.setCurrencyCode(QStringLiteral("JPY"));
    EXPECT_EQ(picker->currentData().toString(), QStringLiteral("JPY"));
}

TEST_F(SettingsWindowTest, MusicBrainzSwitchWritesTheSetting)
{
    auto window = makeWindow();
    auto *toggle = window->findChild<QCheckBox *>(QStringLiteral("useMusicBrainzToggle"));
    EXPECT_TRUE(toggle->isChecked());
    toggle->click();
    EXPECT_FALSE(settings.useMusicBrainz());
    EXPECT_FALSE(QSettings().value(QStringLiteral("useMusicBrainz")).toBool());
}

TEST_F(SettingsWindowTest, ShowInFileManagerRevealsTheLibraryInUse)
{
    qputenv("VORLA_STORE", "/tmp/elsewhere/Mine.store");
    auto window = makeWindow();
    window->findChild<QPushButton *>(QStringLiteral("showLibraryButton"))->click();
    EXPECT_EQ(
        revealed, QList<QUrl> { QUrl::fromLocalFile(QStringLiteral("/tmp/elsewhere/Mine.store")) });
    EXPECT_EQ(revealed.first(), Persistence::storeURL());
}
