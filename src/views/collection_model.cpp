#include "views/collection_model.h"

#include "core/pointer_set.h"
#include "models/grading.h"
#include "models/model_context.h"
#include "models/record.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QLocale>

#include <unicode/udat.h>
#include <unicode/udatpg.h>

#include <algorithm>
#include <memory>

namespace vorla {

namespace {

struct DateFormatCloser {
    void operator()(UDateFormat *format) const { udat_close(format); }
};

// One formatter per locale, made on first use: building ICU formatters is slow.
UDateFormat *abbreviatedDateFormat()
{
    static QString localeName;
    static std::unique_ptr<UDateFormat, DateFormatCloser> format;
    const QString current = QLocale().name();
    if (format && localeName == current)
        return format.get();
    localeName = current;
    format.reset();
    const QByteArray locale = current.toUtf8();
    UErrorCode status = U_ZERO_ERROR;
    UDateTimePatternGenerator *generator = udatpg_open(locale.constData(), &status);
    if (U_FAILURE(status))
        return nullptr;
    UChar pattern[64];
    const UChar skeleton[] = u"yMMMd";
    const int32_t length = udatpg_getBestPattern(generator, skeleton, -1, pattern, 64, &status);
    udatpg_close(generator);
    if (U_FAILURE(status))
        return nullptr;
    format.reset(udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.constData(), nullptr, -1, pattern,
                           length, &status));
    if (U_FAILURE(status))
        format.reset();
    return format.get();
}

QString columnTitle(int column)
{
    switch (column) {
    case CollectionModel::artist:
        return CollectionModel::tr("Artist");
    case CollectionModel::title:
        return CollectionModel::tr("Title");
    case CollectionModel::year:
        return CollectionModel::tr("Year");
    case CollectionModel::label:
        return CollectionModel::tr("Label");
    case CollectionModel::catalogNumber:
        return CollectionModel::tr("Cat #");
    case CollectionModel::format:
        return CollectionModel::tr("Format");
    case CollectionModel::condition:
        return CollectionModel::tr("Condition");
    case CollectionModel::rating:
        return CollectionModel::tr("Rating");
    case CollectionModel::added:
        return CollectionModel::tr("Added");
    default:
        return {};
    }
}

Grading storedGrade(const QString &raw)
{
    return gradingFromRawValue(raw).value_or(Grading::notGraded);
}

} // namespace

QString abbreviatedDate(const QDateTime &moment)
{
    UDateFormat *format = abbreviatedDateFormat();
    if (!format)
        return QLocale().toString(moment.toLocalTime().date(), QLocale::ShortFormat);
    UChar buffer[128];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        udat_format(format, UDate(moment.toMSecsSinceEpoch()), buffer, 128, nullptr, &status);
    if (U_FAILURE(status))
        return QLocale().toString(moment.toLocalTime().date(), QLocale::ShortFormat);
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
}

QString conditionText(const Record &record)
{
    return CollectionModel::tr("%1 / %2")
        .arg(shortLabel(storedGrade(record.mediaConditionRaw())),
             shortLabel(storedGrade(record.sleeveConditionRaw())));
}

CollectionModel::CollectionModel(ModelContext *context, QObject *parent)
    : QAbstractTableModel(parent)
    , m_context(context)
{
    // Edits announce their own rows: one changed record must not make the views walk
    // every row of the collection.
    connect(context, &ModelContext::recordsChanged, this, &CollectionModel::refreshRecords);
    connect(context, &ModelContext::recordsAboutToBeRemoved, this, &CollectionModel::dropRemoved);
}

void CollectionModel::setRecords(const QList<Record *> &records)
{
    if (records == m_records)
        return;
    QList<QUuid> ids;
    ids.reserve(records.size());
    for (const Record *record : records)
        ids.append(record->id());
    if (ids == m_ids) {
        m_records = records;
        return;
    }
    beginResetModel();
    m_ids = std::move(ids);
    m_records = records;
    m_rows.clear();
    endResetModel();
}

void CollectionModel::dropRemoved(const QList<Record *> &removed)
{
    const PointerSet gone(removed);
    const auto first = std::find_if(m_records.cbegin(), m_records.cend(),
        [&gone](const Record *record) { return gone.contains(record); });
    if (first == m_records.cend())
        return;
    // Scattered rows: one reset is cheaper for the views than a removal per run of rows.
    beginResetModel();
    qsizetype kept = first - m_records.cbegin();
    for (qsizetype row = kept + 1; row < m_records.size(); ++row) {
        if (gone.contains(m_records[row]))
            continue;
        m_records[kept] = m_records[row];
        m_ids[kept] = m_ids[row];
        ++kept;
    }
    m_records.resize(kept);
    m_ids.resize(kept);
    m_rows.clear();
    endResetModel();
}

void CollectionModel::refreshRecords(const QList<QUuid> &ids)
{
    for (const QUuid &id : ids) {
        const int row = rowOf(id);
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, kColumns - 1));
    }
}

QUuid CollectionModel::idAt(int row) const
{
    return row >= 0 && row < m_ids.size() ? m_ids[row] : QUuid();
}

Record *CollectionModel::recordAt(int row) const
{
    return row >= 0 && row < m_ids.size() ? m_context->record(m_ids[row]) : nullptr;
}

int CollectionModel::rowOf(const QUuid &id) const
{
    if (m_rows.isEmpty() && !m_ids.isEmpty()) {
        m_rows.reserve(m_ids.size());
        for (int row = 0; row < m_ids.size(); ++row)
            m_rows.insert(m_ids[row], row);
    }
    return m_rows.value(id, -1);
}

std::optional<SortKey> CollectionModel::sortKeyForColumn(int column)
{
    switch (column) {
    case artist:
        return SortKey::artist;
    case title:
        return SortKey::title;
    case year:
        return SortKey::year;
    case label:
        return SortKey::label;
    case rating:
        return SortKey::rating;
    case added:
        return SortKey::dateAdded;
    default:
        return std::nullopt;
    }
}

int CollectionModel::columnForSortKey(SortKey key)
{
    switch (key) {
    case SortKey::artist:
        return artist;
    case SortKey::title:
        return title;
    case SortKey::year:
        return year;
    case SortKey::label:
        return label;
    case SortKey::rating:
        return rating;
    case SortKey::dateAdded:
        return added;
    }
    return artist;
}

int CollectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_ids.size());
}

int CollectionModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant CollectionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == IdRole)
        return m_ids[index.row()];
    const Record *record = recordAt(index.row());
    if (!record)
        return {};

    switch (role) {
    case TitleRole:
        return record->title().isEmpty() ? tr("Untitled") : record->title();
    case ArtistRole:
        return record->artist().isEmpty() ? tr("Unknown Artist") : record->artist();
    case YearTextRole:
        return record->year() ? QString::number(*record->year()) : QString();
    case GradeTextRole: {
        const std::optional<Grading> grade = gradingFromRawValue(record->mediaConditionRaw());
        return grade && *grade != Grading::notGraded ? shortLabel(*grade) : QString();
    }
    case RatingRole:
        return record->rating();
    case FavoriteRole:
        return record->isFavorite();
    case SeedRole:
        return record->artist() + record->title();
    case Qt::FontRole:
        if (index.column() == condition) {
            // A size smaller, so the widest pair ("VG+ / VG+") fits the fixed column.
            static const QFont font = [] {
                QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
                fixed.setPointSizeF(fixed.pointSizeF() * 0.85);
                return fixed;
            }();
            return font;
        }
        return {};
    case Qt::AccessibleTextRole:
        if (index.column() == rating)
            return tr("%1 of 5 stars").arg(record->rating());
        return {};
    case Qt::ToolTipRole:
        // The whole text of what a narrow column or tile may elide; the cover column is the
        // grid's tile, which shows title and artist.
        switch (index.column()) {
        case cover:
            return data(index, TitleRole).toString() + u'\n' + data(index, ArtistRole).toString();
        case artist:
        case title:
        case label:
        case catalogNumber:
        case format:
            break;
        default:
            return {};
        }
        break;
    case Qt::DisplayRole:
        break;
    default:
        return {};
    }

    switch (index.column()) {
    case artist:
        return record->artist();
    case title:
        return record->title();
    case year:
        return record->year() ? QString::number(*record->year()) : QString();
    case label:
        return record->label();
    case catalogNumber:
        return record->catalogNumber();
    case format:
        return record->format();
    case condition:
        return conditionText(*record);
    case added:
        return abbreviatedDate(record->dateAdded());
    default:
        return {};
    }
}

QVariant CollectionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return columnTitle(section);
    return {};
}

Qt::ItemFlags CollectionModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void CollectionModel::sort(int column, Qt::SortOrder order)
{
    if (const std::optional<SortKey> key = sortKeyForColumn(column))
        emit sortRequested(*key, order == Qt::AscendingOrder);
}

} // namespace vorla
