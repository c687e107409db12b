// The user's settings (QSettings) as one shared object that announces every real change,
// so each view showing a setting follows it at once, whichever window changed it.
#pragma once

#include "models/sort_key.h"
#include "app/view_mode.h"

#include <QObject>
#include <QVariant>

namespace vorla {

class AppSettings : public QObject
{
    Q_OBJECT

public:
    static AppSettings &shared();

    // Keys as they are stored.
    static inline const QString viewModeKey = QStringLiteral("viewMode");
    static inline const QString sortKeyKey = QStringLiteral("sortKey");
    static inline const QString sortAscendingKey = QStringLiteral("sortAscending");
    static inline const QString tileSizeKey = QStringLiteral("tileSize");
    static inline const QString currencyCodeKey = QStringLiteral("currencyCode");
    static inline const QString useMusicBrainzKey = QStringLiteral("useMusicBrainz");
    static inline const QString scanTargetKey = QStringLiteral("scanTarget");
    static inline const QString photoLayoutKey = QStringLiteral("photoLayout");

    QVariant value(const QString &key, const QVariant &defaultValue = {}) const;
    bool contains(const QString &key) const;
    // Stores the value and emits valueChanged(key) unless it equals the stored one.
    void setValue(const QString &key, const QVariant &value);
    void remove(const QString &key);

    ViewMode viewMode() const; // grid when unset or unknown
    void setViewMode(ViewMode mode);
    SortKey sortKey() const; // artist when unset or unknown
    void setSortKey(SortKey key);
    bool sortAscending() const; // true when unset
    void setSortAscending(bool ascending);
    double tileSize() const; // 170 when unset
    void setTileSize(double size);
    // The currency of every price: the stored code, else the locale's, else "USD".
    QString currencyCode() const;
    void setCurrencyCode(const QString &code);
    bool useMusicBrainz() const; // true when unset
    void setUseMusicBrainz(bool use);

signals:
    void valueChanged(const QString &key);
    // After valueChanged(currencyCodeKey): every shown price follows it at once.
    void currencyCodeChanged(const QString &code);

private:
    AppSettings() = default;
    void announce(const QString &key);
};

} // namespace vorla
