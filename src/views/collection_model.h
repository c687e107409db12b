// The visible records of the collection area, one row per record in display order: the
// grid shows column 0, the table every column. Rows hold record ids, the records looked up
// in the context; a record removed from the context leaves its row at once.
#pragma once

#include "models/sort_key.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QUuid>

#include <optional>

namespace vorla {

class ModelContext;
class Record;

class CollectionModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { cover, artist, title, year, label, catalogNumber, format, condition, rating, added, kColumns };
    enum Role {
        IdRole = Qt::UserRole + 1,
        TitleRole, // the grid's title line: "Untitled" for an empty title
        ArtistRole, // the grid's artist line: "Unknown Artist" for an empty artist
        YearTextRole, // "" without a year
        GradeTextRole, // the media grade's short label, "" when not graded
        RatingRole,
        FavoriteRole,
        SeedRole, // the placeholder's colour seed: artist followed by title
    };

    explicit CollectionModel(ModelContext *context, QObject *parent = nullptr);

    // Shows these records in this order. When the rows stay the same nothing is announced,
    // so the views keep their selection, focus and scroll position. The records are the
    // context's own.
    void setRecords(const QList<Record *> &records);
    // Announces changed contents of the rows that show these records; edits in the context
    // arrive here by themselves.
    void refreshRecords(const QList<QUuid> &ids);

    const QList<QUuid> &ids() const { return m_ids; }
    QUuid idAt(int row) const;
    Record *recordAt(int row) const;
    int rowOf(const QUuid &id) const;

    // The sort key a column header sorts by; none for the columns that cannot be sorted.
    static std::optional<SortKey> sortKeyForColumn(int column);
    static int columnForSortKey(SortKey key);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A header click: asks for the new order instead of sorting here; the owner of the
    // sort setting re-sorts and hands the records back.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    void sortRequested(SortKey key, bool ascending);

private:
    void dropRemoved(const QList<Record *> &removed);

    ModelContext *m_context;
    QList<QUuid> m_ids;
    // The records of m_ids, row for row: only compared, never read, so the same rows are
    // recognised without reading every record. Removals take them out before they are freed.
    QList<Record *> m_records;
    // Built when first asked for: typing into the search field replaces the rows often.
    mutable QHash<QUuid, int> m_rows;
};

// "Jun 1, 2024" in the user's locale: year, abbreviated month, day.
QString abbreviatedDate(const QDateTime &moment);
// "VG+ / —": media and sleeve grade, an unknown grade counting as not graded.
QString conditionText(const Record &record);

} // namespace vorla
