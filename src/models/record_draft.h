// The editable value copy of a record: forms, lookups and imports fill a draft, then write
// it into a Record in one step.
#pragma once

#include "models/grading.h"
#include "models/record.h"
#include "models/track.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace vorla {

// A draft's cover bytes reduced for storing, made on a worker so that saving the draft does
// not decode and encode a large photo on the GUI thread.
struct PreparedDraftCover
{
    // The coverImageData it was made from.
    QByteArray source;
    // None: the bytes do not read.
    std::optional<Record::PreparedCover> cover;

    // Safe on any thread.
    static PreparedDraftCover prepare(const QByteArray &source);
};

struct RecordDraft
{
    QString title;
    QString artist;
    std::optional<int> year;
    QString label;
    QString catalogNumber;
    QString format = QStringLiteral("Vinyl, LP");
    QString country;
    QStringList genres;
    QStringList styles;
    QString barcode;
    QList<Track> tracks;
    Grading mediaCondition = Grading::notGraded;
    Grading sleeveCondition = Grading::notGraded;
    QString notes;
    QString location;
    std::optional<double> purchasePrice;
    std::optional<QDateTime> purchaseDate;
    int rating = 0;
    bool isFavorite = false;
    // None: the record keeps its own.
    std::optional<QDateTime> dateAdded;
    // Raw bytes, not yet downscaled.
    std::optional<QByteArray> coverImageData;
    // The draft's cover replaces the record's (or removes it when there are no bytes).
    bool coverChanged = false;
    // A cover still to be downloaded into coverImageData.
    std::optional<QUrl> coverURL;
    std::optional<qint64> discogsReleaseID;
    std::optional<QString> musicBrainzID;
    std::optional<QString> sourceURL;

    RecordDraft() = default;
    explicit RecordDraft(const Record &record);

    // Title or artist holds something besides spaces and tabs.
    bool isValid() const;
    // Writes the draft into the record; neither inserts nor saves. A cover prepared from the
    // draft's own cover bytes is stored as it is; other bytes are prepared here.
    void apply(Record &record, const std::optional<PreparedDraftCover> &prepared = std::nullopt) const;
};

} // namespace vorla
