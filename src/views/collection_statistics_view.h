// The inspector when nothing is selected: four figures about the whole collection (records,
// artists, favourites, money spent), the most frequent genres and the newest covers.
// It follows the library and the currency setting; it changes nothing.
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUuid>
#include <QWidget>

#include <utility>
#include <vector>

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

// The counts behind the figures, kept so that removed records are taken off without
// visiting the rest of the library.
class CollectionTally
{
public:
    void count(const QList<Record *> &records);
    // `removed` are still alive; the rest of the library is not visited.
    void remove(const QList<Record *> &removed);
    CollectionStatistics statistics() const;

    // An artist as the count compares it: ASCII letters without regard to case, everything
    // else as it stands (non-ASCII texts are kept lower-cased).
    struct ArtistKey
    {
        QString text;
    };

private:
    // When a record was added, as a number, beside the record: finding the newest again after
    // a deletion reads this list instead of every record scattered through the memory.
    struct Added
    {
        qint64 msecs;
        QUuid id; // breaks ties without reading the record
        const Record *record;
    };

    static ArtistKey artistKey(const Record &record);
    QList<QUuid> newest() const;
    void add(const Record &record, int sign);

    qsizetype m_records = 0;
    qsizetype m_favorites = 0;
    qsizetype m_priced = 0;
    double m_spent = 0;
    QHash<ArtistKey, int> m_artists;
    QHash<QString, int> m_genres;
    std::vector<Added> m_added;
    QList<QUuid> m_recent;
};

bool operator==(const CollectionTally::ArtistKey &a, const CollectionTally::ArtistKey &b);
size_t qHash(const CollectionTally::ArtistKey &key, size_t seed = 0);

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
    void recordsRemoved(const QList<Record *> &removed);
    // Shows m_statistics; the genre rows and covers are made again only when they changed.
    void showStatistics(bool rebuildAll);
    void showGenres();
    void showRecent();
    void showSpent();

    QPointer<ModelContext> m_context;
    AppSettings &m_settings;
    CollectionTally m_tally;
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
