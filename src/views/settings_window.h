// The settings window: the Discogs token (kept in the keyring and checked against Discogs),
// the MusicBrainz fallback and the collection's currency, and a way to the library file.
// Made once and shown again whenever settings are asked for; it is not modal.
#pragma once

#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <stop_token>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorla {

class AppSettings;
class BusyIndicator;

class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    // The Discogs user name that owns a token; runs on a worker thread and throws.
    using IdentityCheck = std::function<QString(const QString &token, std::stop_token)>;
    // Shows a file in the desktop's file manager.
    using Reveal = std::function<void(const QUrl &file)>;

    // Empty functions stand for the real Discogs check and the desktop's file manager.
    explicit SettingsWindow(AppSettings &settings, IdentityCheck checkIdentity = {},
        Reveal reveal = {}, QWidget *parent = nullptr);
    ~SettingsWindow() override;

    enum class TokenStatus { unknown, checking, valid, invalid, saved };
    TokenStatus tokenStatus() const { return m_status; }
    // The user name for valid, the message for invalid.
    QString tokenStatusDetail() const { return m_statusDetail; }

    // Stores the trimmed token (or removes it when blank) and, when there is one, asks
    // Discogs whose it is.
    void saveAndVerify();

    // The codes offered: eleven common ones, then the locale's own when it is not among them.
    static QStringList currencies();
    // "EUR — Euro"
    static QString currencyRowText(const QString &code);
    // Asks the desktop's file manager to show the file selected; opens its folder when the
    // desktop has no file manager service.
    static void revealInFileManager(const QUrl &file);

signals:
    void tokenStatusChanged();

private:
    void setTokenStatus(TokenStatus status, const QString &detail = {});
    void showCurrency();

    AppSettings &m_settings;
    IdentityCheck m_checkIdentity;
    Reveal m_reveal;
    TokenStatus m_status = TokenStatus::unknown;
    QString m_statusDetail;
    bool m_tokenEdited = false;
    std::stop_source m_stop;

    QLineEdit *m_token = nullptr;
    QPushButton *m_saveToken = nullptr;
    QWidget *m_statusLine = nullptr;
    BusyIndicator *m_statusSpinner = nullptr;
    QLabel *m_statusIcon = nullptr;
    QLabel *m_statusText = nullptr;
    QCheckBox *m_useMusicBrainz = nullptr;
    QComboBox *m_currency = nullptr;
};

} // namespace vorla
