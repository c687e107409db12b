// The inspector when nothing is selected: four figures about the whole collection (records,
// artists, favourites, money spent), the most frequent genres and the newest covers.
// It follows the library and the currency setting; it changes nothing.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUuid>
#include <QWidget>

#include <utility>

class QGridLayout;
class QLabel;

namespace vorla {

class AppSettings;
class DetailSection;
class ModelContext;
class Record;
class StatTile;

struct CollectionStatistics
{
    qsizetype records = 0;
    // Distinct lower-cased artist texts (untrimmed; the empty artist counts once).
    qsizetype artists = 0;
    qsizetype favorites = 0;
    // Sum of the prices that are set.
    double spent = 0;
    // At most six, by count, ties by name.
    QList<std::pair<QString, int>> topGenres;
    // The six newest records, newest first.
    QList<QUuid> recent;

    static CollectionStatistics of(const QList<Record *> &records);
};

class CollectionStatsView : public QWidget
{
    Q_OBJECT

public:
    CollectionStatsView(ModelContext *context, AppSettings &settings, QWidget *parent = nullptr);

    const CollectionStatistics &statistics() const { return m_statistics; }
    // Recomputes now (otherwise it follows the library's changes while shown).
    void reload();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scheduleReload();
    void showSpent();

    QPointer<ModelContext> m_context;
    AppSettings &m_settings;
    CollectionStatistics m_statistics;
    bool m_stale = true;
    QTimer m_reloadTimer;

    StatTile *m_recordsTile = nullptr;
    StatTile *m_artistsTile = nullptr;
    StatTile *m_favoritesTile = nullptr;
    StatTile *m_spentTile = nullptr;
    DetailSection *m_genres = nullptr;
    DetailSection *m_recent = nullptr;
    QGridLayout *m_recentGrid = nullptr;
};

// One figure with its caption in a filled box; a long figure shrinks to 60 % before it is
// cut short.
class StatTile : public QWidget
{
    Q_OBJECT

public:
    StatTile(const QString &label, QWidget *parent = nullptr);

    QString value() const { return m_value; }
    void setValue(const QString &value);
    QString label() const { return m_label; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont valueFont() const;
    QFont labelFont() const;

    QString m_label;
    QString m_value;
};

} // namespace vorla
