#include "models/record_draft.h"

#include "models/record.h"
#include "core/text_util.h"

namespace vorla {

namespace {

bool isBlank(const QString &text)
{
    return TextUtil::trimmedSpacesAndTabs(text).isEmpty();
}

} // namespace

PreparedDraftCover PreparedDraftCover::prepare(const QByteArray &source)
{
    return PreparedDraftCover { source, Record::prepareCover(source) };
}

RecordDraft::RecordDraft(const Record &record)
    : title(record.title())
    , artist(record.artist())
    , year(record.year())
    , label(record.label())
    , catalogNumber(record.catalogNumber())
    , format(record.format())
    , country(record.country())
    , genres(record.genres())
    , styles(record.styles())
    , barcode(record.barcode())
    , tracks(record.tracks())
    , mediaCondition(record.mediaCondition())
    , sleeveCondition(record.sleeveCondition())
    , notes(record.notes())
    , location(record.location())
    , purchasePrice(record.purchasePrice())
    , purchaseDate(record.purchaseDate())
    , rating(record.rating())
    , isFavorite(record.isFavorite())
    , dateAdded(record.dateAdded())
    , coverImageData(record.coverImageData())
    , discogsReleaseID(record.discogsReleaseID())
    , musicBrainzID(record.musicBrainzID())
    , sourceURL(record.sourceURL())
{
}

bool RecordDraft::isValid() const
{
    return !isBlank(title) || !isBlank(artist);
}

void RecordDraft::apply(Record &record, const std::optional<PreparedDraftCover> &prepared) const
{
    record.setTitle(TextUtil::trimmedSpacesAndTabs(title));
    record.setArtist(TextUtil::trimmedSpacesAndTabs(artist));
    record.setYear(year);
    record.setLabel(label);
    record.setCatalogNumber(catalogNumber);
    record.setFormat(format);
    record.setCountry(country);
    record.setGenres(genres);
    record.setStyles(styles);
    record.setBarcode(barcode);
    QList<Track> kept;
    kept.reserve(tracks.size());
    for (const Track &track : tracks) {
        if (!track.title.isEmpty() || !track.position.isEmpty())
            kept.append(track);
    }
    record.setTracks(kept);
    record.setMediaCondition(mediaCondition);
    record.setSleeveCondition(sleeveCondition);
    record.setNotes(notes);
    record.setLocation(location);
    record.setPurchasePrice(purchasePrice);
    record.setPurchaseDate(purchaseDate);
    record.setRating(rating);
    record.setIsFavorite(isFavorite);
    if (dateAdded)
        record.setDateAdded(*dateAdded);
    record.setDiscogsReleaseID(discogsReleaseID);
    record.setMusicBrainzID(musicBrainzID);
    record.setSourceURL(sourceURL);
    if (!coverChanged && (record.hasCoverImageData() || !coverImageData))
        return;
    if (prepared && coverImageData && prepared->source == *coverImageData)
        record.setPreparedCover(prepared->cover);
    else
        record.setCover(coverImageData);
}

} // namespace vorla
