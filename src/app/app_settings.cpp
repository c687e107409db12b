#include "app/app_settings.h"

#include <QLocale>
#include <QSettings>

namespace vorla {

AppSettings &AppSettings::shared()
{
    static AppSettings settings;
    return settings;
}

QVariant AppSettings::value(const QString &key, const QVariant &defaultValue) const
{
    return QSettings().value(key, defaultValue);
}

bool AppSettings::contains(const QString &key) const
{
    return QSettings().contains(key);
}

void AppSettings::setValue(const QString &key, const QVariant &value)
{
    QSettings settings;
    // The INI backend gives values back as text; compare in that form.
    if (settings.contains(key) && settings.value(key).toString() == value.toString())
        return;
    settings.setValue(key, value);
    announce(key);
}

void AppSettings::remove(const QString &key)
{
    QSettings settings;
    if (!settings.contains(key))
        return;
    settings.remove(key);
    announce(key);
}

void AppSettings::announce(const QString &key)
{
    emit valueChanged(key);
    if (key == currencyCodeKey)
        emit currencyCodeChanged(currencyCode());
}

ViewMode AppSettings::viewMode() const
{
    return viewModeFromRawValue(value(viewModeKey).toString()).value_or(ViewMode::grid);
}

void AppSettings::setViewMode(ViewMode mode)
{
    setValue(viewModeKey, rawValue(mode));
}

SortKey AppSettings::sortKey() const
{
    return sortKeyFromRawValue(value(sortKeyKey).toString()).value_or(SortKey::artist);
}

void AppSettings::setSortKey(SortKey key)
{
    setValue(sortKeyKey, rawValue(key));
}

bool AppSettings::sortAscending() const
{
    return value(sortAscendingKey, true).toBool();
}

void AppSettings::setSortAscending(bool ascending)
{
    setValue(sortAscendingKey, ascending);
}

double AppSettings::tileSize() const
{
    bool ok = false;
    const double size = value(tileSizeKey).toDouble(&ok);
    return ok ? size : 170.0;
}

void AppSettings::setTileSize(double size)
{
    setValue(tileSizeKey, size);
}

QString AppSettings::currencyCode() const
{
    const QString stored = value(currencyCodeKey).toString();
    if (!stored.isEmpty())
        return stored;
    const QString local = QLocale().currencySymbol(QLocale::CurrencyIsoCode);
    return local.isEmpty() ? QStringLiteral("USD") : local;
}

void AppSettings::setCurrencyCode(const QString &code)
{
    setValue(currencyCodeKey, code);
}

bool AppSettings::useMusicBrainz() const
{
    return value(useMusicBrainzKey, true).toBool();
}

void AppSettings::setUseMusicBrainz(bool use)
{
    setValue(useMusicBrainzKey, use);
}

} // namespace vorla
