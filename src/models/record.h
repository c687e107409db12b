// One vinyl record of the collection: the release facts and the facts of the collector's copy.
// Records live on the GUI thread. Once inserted, a ModelContext owns the record; setters then
// tell it about every real change, so it can save and announce the edit.
#pragma once

#include "models/grading.h"
#include "models/track.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <utility>

namespace vorla {

class ModelContext;
struct RecordDraft;

class Record
{
public:
    // A new record: a new id, empty texts and lists, dateAdded now, not yet inserted.
    Record();
    ~Record();
    Record(const Record &) = delete;
    Record &operator=(const Record &) = delete;

    // The 27 stored properties, in schema order.
    const QUuid &id() const { return m_id; }
    const QString &title() const { return m_title; }
    void setTitle(const QString &title);
    const QString &artist() const { return m_artist; }
    void setArtist(const QString &artist);
    std::optional<int> year() const { return m_year; }
    void setYear(std::optional<int> year);
    const QString &label() const { return m_label; }
    void setLabel(const QString &label);
    const QString &catalogNumber() const { return m_catalogNumber; }
    void setCatalogNumber(const QString &catalogNumber);
    const QString &format() const { return m_format; }
    void setFormat(const QString &format);
    const QString &country() const { return m_country; }
    void setCountry(const QString &country);
    const QStringList &genres() const { return m_genres; }
    void setGenres(const QStringList &genres);
    const QStringList &styles() const { return m_styles; }
    void setStyles(const QStringList &styles);
    const QString &barcode() const { return m_barcode; }
    void setBarcode(const QString &barcode);
    // Like the images, the tracklist bytes of a stored record are read from the store on
    // demand; hasTracklistData() reads nothing.
    std::optional<QByteArray> tracklistData() const;
    bool hasTracklistData() const { return m_tracklist.present; }
    void setTracklistData(const std::optional<QByteArray> &data);
    const QString &mediaConditionRaw() const { return m_mediaConditionRaw; }
    void setMediaConditionRaw(const QString &raw);
    const QString &sleeveConditionRaw() const { return m_sleeveConditionRaw; }
    void setSleeveConditionRaw(const QString &raw);
    const QString &notes() const { return m_notes; }
    void setNotes(const QString &notes);
    const QString &location() const { return m_location; }
    void setLocation(const QString &location);
    std::optional<double> purchasePrice() const { return m_purchasePrice; }
    void setPurchasePrice(std::optional<double> price);
    const std::optional<QDateTime> &purchaseDate() const { return m_purchaseDate; }
    void setPurchaseDate(const std::optional<QDateTime> &date);
    int rating() const { return m_rating; }
    void setRating(int rating);
    bool isFavorite() const { return m_isFavorite; }
    void setIsFavorite(bool favorite);
    const QDateTime &dateAdded() const { return m_dateAdded; }
    void setDateAdded(const QDateTime &date);
    // Image bytes are read from the store on demand; the has*() tests read nothing.
    std::optional<QByteArray> coverImageData() const;
    bool hasCoverImageData() const { return m_cover.present; }
    std::optional<QByteArray> thumbnailData() const;
    bool hasThumbnailData() const { return m_thumbnail.present; }
    int coverRevision() const { return m_coverRevision; }
    std::optional<qint64> discogsReleaseID() const { return m_discogsReleaseID; }
    void setDiscogsReleaseID(std::optional<qint64> id);
    const std::optional<QString> &musicBrainzID() const { return m_musicBrainzID; }
    void setMusicBrainzID(const std::optional<QString> &id);
    const std::optional<QString> &sourceURL() const { return m_sourceURL; }
    void setSourceURL(const std::optional<QString> &url);

    // Derived properties.
    Grading mediaCondition() const;
    void setMediaCondition(Grading grading);
    Grading sleeveCondition() const;
    void setSleeveCondition(Grading grading);
    QList<Track> tracks() const;
    void setTracks(const QList<Track> &tracks);
    std::optional<QString> sourceName() const;
    QString artistSortKey() const;
    QString titleSortKey() const;
    QString labelSortKey() const;
    int yearSortKey() const { return m_year.value_or(0); }
    // The date added as milliseconds, ordered as QDateTime orders it: no date before any date.
    qint64 dateAddedSortKey() const;

    // Replaces cover and thumbnail from image bytes (downscaled), or clears both with none
    // or unreadable bytes. Always counts a cover change.
    void setCover(const std::optional<QByteArray> &data);

    // A cover and its thumbnail downscaled from image bytes, ready to store. Decoding and
    // encoding is the costly part of a new cover, so callers do it on a worker: this function
    // is safe on any thread.
    struct PreparedCover
    {
        QByteArray cover;
        QByteArray thumbnail;

        bool operator==(const PreparedCover &) const = default;
    };
    static std::optional<PreparedCover> prepareCover(const QByteArray &data);
    // What setCover() does with the bytes prepared already (none: they did not read, and
    // both are cleared).
    void setPreparedCover(const std::optional<PreparedCover> &cover);

    // The collection search: case-insensitive containment in any searched text.
    bool matches(const QString &search) const;
    // Builds what matches() reads for a search in ASCII letters ahead of the first search,
    // so the first keystroke does not pay for every record.
    void prepareSearch() const;
    // Hints for walks over many records, asking the processor for what matches() reads: first
    // the member that points at the searched text (it lies far from the object's start),
    // then, once that has arrived, the text itself.
    void prefetchSearchMember() const { __builtin_prefetch(&m_searchKey); }
    void prefetchSearch() const { __builtin_prefetch(m_searchKey.constData()); }
    // Merges looked-up metadata: fills, never clears. Does not save.
    void applyReleaseMetadata(const RecordDraft &draft);
    // The same with the draft's cover already prepared (none: the cover stays as it is).
    void applyReleaseMetadata(const RecordDraft &draft, const std::optional<PreparedCover> &cover);

    // (genre, count) by count descending, then genre ascending.
    static QList<std::pair<QString, int>> genreCounts(const QList<Record *> &records);
    // (decade, count) by decade, newest first; records without a year are skipped.
    static QList<std::pair<int, int>> decadeCounts(const QList<Record *> &records);

    // The context that owns this record, or null before insertion.
    ModelContext *context() const { return m_context; }

private:
    friend class ModelContext;
    friend class Store;

    // Bytes that may stay in the store: absent, held in memory, or present in the store and
    // read when asked for.
    struct StoredBytes
    {
        bool present = false;
        bool loaded = true;
        QByteArray bytes;
    };
    enum class ImageKind { cover, thumbnail };
    static StoredBytes heldBytes(const std::optional<QByteArray> &data);

    Record(const QUuid &id, const QDateTime &dateAdded);
    std::optional<QByteArray> imageData(ImageKind kind) const;
    void changed();
    QByteArray buildSearchKey() const;
    template <typename T>
    void assign(T &member, const T &value);

    ModelContext *m_context = nullptr;
    // The store's own row identity (0 before the first save) and whether the images
    // still have to be written.
    qint64 m_rowID = 0;
    bool m_imagesChanged = false;
    QUuid m_id;
    QString m_title;
    QString m_artist;
    std::optional<int> m_year;
    QString m_label;
    QString m_catalogNumber;
    QString m_format;
    QString m_country;
    QStringList m_genres;
    QStringList m_styles;
    QString m_barcode;
    StoredBytes m_tracklist;
    QString m_mediaConditionRaw;
    QString m_sleeveConditionRaw;
    QString m_notes;
    QString m_location;
    std::optional<double> m_purchasePrice;
    std::optional<QDateTime> m_purchaseDate;
    int m_rating = 0;
    bool m_isFavorite = false;
    QDateTime m_dateAdded;
    StoredBytes m_cover;
    StoredBytes m_thumbnail;
    int m_coverRevision = 0;
    std::optional<qint64> m_discogsReleaseID;
    std::optional<QString> m_musicBrainzID;
    std::optional<QString> m_sourceURL;
    // The searched texts one after the other, each UTF-16 unit folded as an ASCII search
    // compares it: the folded ASCII character, or 0x80 for any other, which no ASCII search
    // text holds; 0x80 also ends each text, so no match runs from one text into the next.
    // Null until built; cleared by every change.
    mutable QByteArray m_searchKey;
    // Some searched text holds a character outside ASCII: a search in other letters then
    // compares the texts in composed form (NFC).
    mutable bool m_searchBeyondASCII = false;
};

} // namespace vorla
