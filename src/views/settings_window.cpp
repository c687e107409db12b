#include "views/settings_window.h"

#include "app/app_settings.h"
#include "app/run_task.h"
#include "models/persistence.h"
#include "services/discogs_client.h"
#include "services/discogs_token.h"
#include "services/metadata_service.h"
#include "core/text_util.h"
#include "views/components/busy_indicator.h"
#include "views/components/symbol_icon.h"
#include "views/currency_format.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 470;
const QColor kConnectedGreen(40, 160, 70);
const QColor kRejectedRed(210, 45, 45);

const QUrl &tokenPage()
{
    static const QUrl page(QStringLiteral("https://www.discogs.com/settings/developers"));
    return page;
}

QLabel *footer(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    label->setFont(small);
    QPalette palette = label->palette();
    QColor secondary = palette.color(QPalette::WindowText);
    secondary.setAlphaF(0.6);
    palette.setColor(QPalette::WindowText, secondary);
    label->setPalette(palette);
    return label;
}

// What a save and check came to, on the worker.
struct TokenOutcome
{
    bool stored = false;
    bool removed = false;
    QString userName;
};

} // namespace

QStringList SettingsWindow::currencies()
{
    static const QStringList list = [] {
        QStringList codes { QStringLiteral("USD"), QStringLiteral("EUR"), QStringLiteral("GBP"),
            QStringLiteral("CAD"), QStringLiteral("AUD"), QStringLiteral("JPY"),
            QStringLiteral("SEK"), QStringLiteral("NOK"), QStringLiteral("DKK"),
            QStringLiteral("CHF"), QStringLiteral("NZD") };
        const QString local = QLocale().currencySymbol(QLocale::CurrencyIsoCode);
        if (!local.isEmpty() && !codes.contains(local))
            codes.append(local);
        return codes;
    }();
    return list;
}

QString SettingsWindow::currencyRowText(const QString &code)
{
    return code + QStringLiteral(" — ") + CurrencyFormat::name(code);
}

void SettingsWindow::revealInFileManager(const QUrl &file)
{
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).absolutePath());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList { file.toString(QUrl::FullyEncoded) } << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, folder] {
        if (watcher->isError())
            QDesktopServices::openUrl(folder);
        watcher->deleteLater();
    });
}

SettingsWindow::SettingsWindow(
    AppSettings &settings, IdentityCheck checkIdentity, Reveal reveal, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_settings(settings)
    , m_checkIdentity(std::move(checkIdentity))
    , m_reveal(std::move(reveal))
{
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(tr("Settings"));
    resize(kWidth, kHeight);
    if (!m_checkIdentity) {
        m_checkIdentity = [](const QString &token, std::stop_token stop) {
            return DiscogsClient { token, MetadataService::kDiscogsRoot }.identity(stop);
        };
    }
    if (!m_reveal)
        m_reveal = &SettingsWindow::revealInFileManager;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);

    auto *discogs = new QGroupBox(tr("Discogs"), this);
    auto *discogsLayout = new QVBoxLayout(discogs);
    auto *tokenForm = new QFormLayout;
    tokenForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_token = new QLineEdit(discogs);
    m_token->setObjectName(QStringLiteral("tokenField"));
    m_token->setEchoMode(QLineEdit::Password);
    m_token->setPlaceholderText(tr("Paste your Discogs token"));
    connect(m_token, &QLineEdit::textEdited, this, [this] { m_tokenEdited = true; });
    tokenForm->addRow(tr("Personal access token"), m_token);
    discogsLayout->addLayout(tokenForm);

    auto *statusRow = new QHBoxLayout;
    m_statusLine = new QWidget(discogs);
    m_statusLine->setObjectName(QStringLiteral("tokenStatus"));
    auto *statusLayout = new QHBoxLayout(m_statusLine);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    statusLayout->setSpacing(6);
    m_statusSpinner = new BusyIndicator(14, m_statusLine);
    m_statusIcon = new QLabel(m_statusLine);
    m_statusText = new QLabel(m_statusLine);
    m_statusText->setObjectName(QStringLiteral("tokenStatusText"));
    m_statusText->setTextFormat(Qt::PlainText);
    m_statusText->setWordWrap(true);
    statusLayout->addWidget(m_statusSpinner, 0, Qt::AlignTop);
    statusLayout->addWidget(m_statusIcon, 0, Qt::AlignTop);
    statusLayout->addWidget(m_statusText, 1);
    statusRow->addWidget(m_statusLine, 1);
    m_saveToken = new QPushButton(tr("Save & Verify"), discogs);
    m_saveToken->setObjectName(QStringLiteral("saveTokenButton"));
    connect(m_saveToken, &QPushButton::clicked, this, &SettingsWindow::saveAndVerify);
    connect(m_token, &QLineEdit::returnPressed, this, [this] {
        if (m_saveToken->isEnabled())
            saveAndVerify();
    });
    statusRow->addWidget(m_saveToken, 0, Qt::AlignTop);
    discogsLayout->addLayout(statusRow);

    auto *link = new QLabel(discogs);
    link->setObjectName(QStringLiteral("tokenPageLink"));
    link->setTextFormat(Qt::RichText);
    link->setOpenExternalLinks(true);
    link->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                      .arg(tokenPage().toString(QUrl::FullyEncoded).toHtmlEscaped(),
                          tr("Generate a token at %1")
                              .arg(tokenPage().host() + tokenPage().path())
                              .toHtmlEscaped()));
    discogsLayout->addWidget(link);
    discogsLayout->addWidget(footer(
        tr("Optional but recommended: a free token adds cover thumbnails to search results and "
           "raises the rate limit from 25 to 60 lookups a minute. It's stored in your system "
           "keyring and only sent to %1.")
            .arg(QUrl(MetadataService::kDiscogsRoot).host()),
        discogs));
    layout->addWidget(discogs);

    auto *sources = new QGroupBox(tr("Other Sources"), this);
    auto *sourcesLayout = new QVBoxLayout(sources);
    m_useMusicBrainz = new QCheckBox(tr("Fall back to MusicBrainz"), sources);
    m_useMusicBrainz->setObjectName(QStringLiteral("useMusicBrainzToggle"));
    m_useMusicBrainz->setChecked(settings.useMusicBrainz());
    connect(m_useMusicBrainz, &QCheckBox::toggled, this,
        [this](bool on) { m_settings.setUseMusicBrainz(on); });
    sourcesLayout->addWidget(m_useMusicBrainz);
    sourcesLayout->addWidget(footer(tr("MusicBrainz and the Cover Art Archive need no account. "
                                       "They're used when Discogs has no match."),
        sources));
    layout->addWidget(sources);

    auto *collection = new QGroupBox(tr("Collection"), this);
    auto *collectionForm = new QFormLayout(collection);
    m_currency = new QComboBox(collection);
    m_currency->setObjectName(QStringLiteral("currencyPicker"));
    for (const QString &code : currencies())
        m_currency->addItem(currencyRowText(code), code);
    connect(m_currency, &QComboBox::activated, this, [this](int index) {
        m_settings.setCurrencyCode(m_currency->itemData(index).toString());
    });
    collectionForm->addRow(tr("Currency"), m_currency);
    auto *showLibrary = new QPushButton(tr("Show in File Manager"), collection);
    showLibrary->setObjectName(QStringLiteral("showLibraryButton"));
    connect(showLibrary, &QPushButton::clicked, this, [this] { m_reveal(Persistence::storeURL()); });
    collectionForm->addRow(tr("Library"), showLibrary);
    layout->addWidget(collection);
    layout->addStretch(1);

    connect(&settings, &AppSettings::currencyCodeChanged, this, &SettingsWindow::showCurrency);
    connect(&settings, &AppSettings::valueChanged, this, [this](const QString &key) {
        if (key == AppSettings::useMusicBrainzKey)
            m_useMusicBrainz->setChecked(m_settings.useMusicBrainz());
    });
    showCurrency();
    setTokenStatus(TokenStatus::unknown);

    // The keyring may take a moment to answer; the window does not wait for it.
    runTask(
        this, m_stop.get_token(), [](std::stop_token) { return DiscogsToken::value(); },
        [this](TaskResult<std::optional<QString>> result) {
            if (!m_tokenEdited && result.hasValue())
                m_token->setText(result.get().value_or(QString()));
        });
}

SettingsWindow::~SettingsWindow()
{
    m_stop.request_stop();
}

void SettingsWindow::showCurrency()
{
    m_currency->setCurrentIndex(m_currency->findData(m_settings.currencyCode()));
}

void SettingsWindow::setTokenStatus(TokenStatus status, const QString &detail)
{
    m_status = status;
    m_statusDetail = detail;
    m_saveToken->setEnabled(status != TokenStatus::checking);
    m_statusSpinner->setVisible(status == TokenStatus::checking);
    QString text;
    QString symbol;
    QColor color = palette().color(QPalette::WindowText);
    color.setAlphaF(0.6);
    switch (status) {
    case TokenStatus::unknown:
        break;
    case TokenStatus::checking:
        text = tr("Checking…");
        break;
    case TokenStatus::valid:
        text = tr("Connected as %1").arg(detail);
        symbol = QStringLiteral("checkmark.circle.fill");
        color = kConnectedGreen;
        break;
    case TokenStatus::invalid:
        text = detail;
        symbol = QStringLiteral("xmark.octagon.fill");
        color = kRejectedRed;
        break;
    case TokenStatus::saved:
        text = tr("Token removed");
        symbol = QStringLiteral("checkmark.circle");
        break;
    }
    m_statusText->setText(text);
    QPalette palette = m_statusText->palette();
    palette.setColor(QPalette::WindowText, color);
    m_statusText->setPalette(palette);
    // At most two lines of a long message.
    m_statusText->setMaximumHeight(2 * m_statusText->fontMetrics().lineSpacing() + 2);
    const int side = m_statusText->fontMetrics().height();
    m_statusIcon->setVisible(!symbol.isEmpty());
    if (!symbol.isEmpty())
        m_statusIcon->setPixmap(symbolIcon(symbol, color).pixmap(side, side));
    m_statusLine->setVisible(status != TokenStatus::unknown);
    emit tokenStatusChanged();
}

void SettingsWindow::saveAndVerify()
{
    if (m_status == TokenStatus::checking)
        return;
    const QString token = TextUtil::trimmedWhitespaceAndNewlines(m_token->text());
    m_token->setText(token);
    setTokenStatus(TokenStatus::checking);
    IdentityCheck check = m_checkIdentity;
    // The keyring and Discogs both answer on the worker; the window stays responsive.
    runTask(
        this, m_stop.get_token(),
        [token, check](std::stop_token stop) {
            TokenOutcome outcome;
            outcome.stored = DiscogsToken::set(token);
            if (!outcome.stored)
                return outcome;
            if (token.isEmpty()) {
                outcome.removed = true;
                return outcome;
            }
            outcome.userName = check(token, stop);
            return outcome;
        },
        [this](TaskResult<TokenOutcome> result) {
            try {
                const TokenOutcome &outcome = result.get();
                if (!outcome.stored)
                    setTokenStatus(TokenStatus::invalid,
                        tr("Couldn't save to the keyring. The token in use is unchanged."));
                else if (outcome.removed)
                    setTokenStatus(TokenStatus::saved);
                else
                    setTokenStatus(TokenStatus::valid, outcome.userName);
            } catch (const std::exception &error) {
                setTokenStatus(TokenStatus::invalid, QString::fromUtf8(error.what()));
            }
        });
}

} // namespace vorla
