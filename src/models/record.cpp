#include "models/record.h"

#include "models/model_context.h"
#include "models/record_draft.h"
#include "core/image_util.h"
#include "core/text_util.h"

#include <QHash>
#include <QMap>
#include <QVarLengthArray>

#include <algorithm>
#include <limits>
#include <string_view>

namespace vorla {

namespace {

constexpr int kCoverMaxPixel = 1200;
constexpr int kThumbnailMaxPixel = 400;
constexpr double kCoverQuality = 0.85;

// Lower case, trimmed, without a leading "the ".
QString articleSortKey(const QString &text)
{
    QString key = TextUtil::trimmedSpacesAndTabs(text.toLower());
    if (key.startsWith(QLatin1String("the ")))
        key.remove(0, 4);
    return key;
}

} // namespace

Record::Record() : Record(QUuid::createUuid(), QDateTime::currentDateTimeUtc()) {}

Record::Record(const QUuid &id, const QDateTime &dateAdded) : m_id(id), m_dateAdded(dateAdded) {}

Record::~Record() = default;

void Record::changed()
{
    m_searchKey = QByteArray();
    if (m_context)
        m_context->recordChanged(this);
}

template <typename T>
void Record::assign(T &member, const T &value)
{
    if (member == value)
        return;
    member = value;
    changed();
}

void Record::setTitle(const QString &title) { assign(m_title, title); }
void Record::setArtist(const QString &artist) { assign(m_artist, artist); }
void Record::setYear(std::optional<int> year) { assign(m_year, year); }
void Record::setLabel(const QString &label) { assign(m_label, label); }
void Record::setCatalogNumber(const QString &catalogNumber) { assign(m_catalogNumber, catalogNumber); }
void Record::setFormat(const QString &format) { assign(m_format, format); }
void Record::setCountry(const QString &country) { assign(m_country, country); }
void Record::setGenres(const QStringList &genres) { assign(m_genres, genres); }
void Record::setStyles(const QStringList &styles) { assign(m_styles, styles); }
void Record::setBarcode(const QString &barcode) { assign(m_barcode, barcode); }
void Record::setTracklistData(const std::optional<QByteArray> &data)
{
    if (tracklistData() == data)
        return;
    m_tracklist = heldBytes(data);
    changed();
}

std::optional<QByteArray> Record::tracklistData() const
{
    if (!m_tracklist.present)
        return std::nullopt;
    if (m_tracklist.loaded || !m_context)
        return m_tracklist.bytes;
    return m_context->loadTracklist(*this);
}

Record::StoredBytes Record::heldBytes(const std::optional<QByteArray> &data)
{
    return StoredBytes{data.has_value(), true, data.value_or(QByteArray())};
}
void Record::setMediaConditionRaw(const QString &raw) { assign(m_mediaConditionRaw, raw); }
void Record::setSleeveConditionRaw(const QString &raw) { assign(m_sleeveConditionRaw, raw); }
void Record::setNotes(const QString &notes) { assign(m_notes, notes); }
void Record::setLocation(const QString &location) { assign(m_location, location); }
void Record::setPurchasePrice(std::optional<double> price) { assign(m_purchasePrice, price); }
void Record::setPurchaseDate(const std::optional<QDateTime> &date) { assign(m_purchaseDate, date); }
void Record::setRating(int rating) { assign(m_rating, rating); }
void Record::setIsFavorite(bool favorite) { assign(m_isFavorite, favorite); }
void Record::setDateAdded(const QDateTime &date) { assign(m_dateAdded, date); }
void Record::setDiscogsReleaseID(std::optional<qint64> id) { assign(m_discogsReleaseID, id); }
void Record::setMusicBrainzID(const std::optional<QString> &id) { assign(m_musicBrainzID, id); }
void Record::setSourceURL(const std::optional<QString> &url) { assign(m_sourceURL, url); }

std::optional<QByteArray> Record::imageData(ImageKind kind) const
{
    const StoredBytes &slot = kind == ImageKind::cover ? m_cover : m_thumbnail;
    if (!slot.present)
        return std::nullopt;
    if (slot.loaded || !m_context)
        return slot.bytes;
    return m_context->loadImage(*this, kind == ImageKind::cover);
}

std::optional<QByteArray> Record::coverImageData() const { return imageData(ImageKind::cover); }
std::optional<QByteArray> Record::thumbnailData() const { return imageData(ImageKind::thumbnail); }

Grading Record::mediaCondition() const
{
    return gradingFromRawValue(m_mediaConditionRaw).value_or(Grading::notGraded);
}

void Record::setMediaCondition(Grading grading) { setMediaConditionRaw(rawValue(grading)); }

Grading Record::sleeveCondition() const
{
    return gradingFromRawValue(m_sleeveConditionRaw).value_or(Grading::notGraded);
}

void Record::setSleeveCondition(Grading grading) { setSleeveConditionRaw(rawValue(grading)); }

QList<Track> Record::tracks() const
{
    const std::optional<QByteArray> data = tracklistData();
    return data ? decodeTracklist(*data) : QList<Track>();
}

void Record::setTracks(const QList<Track> &tracks) { setTracklistData(encodeTracklist(tracks)); }

std::optional<QString> Record::sourceName() const
{
    if (m_discogsReleaseID)
        return QStringLiteral("Discogs");
    if (m_musicBrainzID)
        return QStringLiteral("MusicBrainz");
    return std::nullopt;
}

QString Record::artistSortKey() const { return articleSortKey(m_artist); }
QString Record::titleSortKey() const { return articleSortKey(m_title); }
QString Record::labelSortKey() const { return m_label.toLower(); }

qint64 Record::dateAddedSortKey() const
{
    return m_dateAdded.isValid() ? m_dateAdded.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

void Record::setCover(const std::optional<QByteArray> &data)
{
    setPreparedCover(data ? prepareCover(*data) : std::nullopt);
}

std::optional<Record::PreparedCover> Record::prepareCover(const QByteArray &data)
{
    std::optional<QByteArray> cover = ImageUtil::downscaledJPEG(data, kCoverMaxPixel, kCoverQuality);
    if (!cover)
        return std::nullopt;
    std::optional<QByteArray> thumbnail
        = ImageUtil::downscaledJPEG(*cover, kThumbnailMaxPixel, kCoverQuality);
    return PreparedCover { *cover, thumbnail.value_or(QByteArray()) };
}

void Record::setPreparedCover(const std::optional<PreparedCover> &cover)
{
    m_cover = heldBytes(cover ? std::optional(cover->cover) : std::nullopt);
    m_thumbnail = heldBytes(cover && !cover->thumbnail.isEmpty() ? std::optional(cover->thumbnail)
                                                                 : std::nullopt);
    ++m_coverRevision;
    m_imagesChanged = true;
    changed();
}

namespace {

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

constexpr char kNotASCII = char(0x80);

bool isASCII(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// A text's units as an ASCII search compares them: composed (NFC), so "e" and a combining
// accent are one letter outside ASCII as "é" is; Unicode simple case folding (so the Kelvin
// sign still matches "k"); then anything outside ASCII as one marker.
void appendFolded(QByteArray &key, const QString &stored)
{
    const QString text = isASCII(stored) ? stored : stored.normalized(QString::NormalizationForm_C);
    for (const QChar c : text) {
        const char16_t folded = c.unicode() < 0x80 ? asciiLower(c.unicode()) : char16_t(c.toCaseFolded().unicode());
        key.append(folded < 0x80 ? char(folded) : kNotASCII);
    }
    key.append(kNotASCII);
}

// Counting walks every record: fetch the next ones while this one is counted.
constexpr qsizetype kRecordsAhead = 16;
constexpr qsizetype kGenresAhead = 8;

void prefetchAhead(const QList<Record *> &records, qsizetype i)
{
    if (i + kRecordsAhead < records.size())
        __builtin_prefetch(records[i + kRecordsAhead]);
}

} // namespace

QByteArray Record::buildSearchKey() const
{
    QByteArray key;
    qsizetype size = 0;
    for (const QString *text : {&m_title, &m_artist, &m_label, &m_catalogNumber, &m_barcode, &m_format,
                                &m_country, &m_notes, &m_location})
        size += text->size() + 1;
    for (const QStringList *list : {&m_genres, &m_styles}) {
        for (const QString &text : *list)
            size += text.size() + 1;
    }
    key.reserve(size);
    m_searchBeyondASCII = false;
    const auto append = [this, &key](const QString &text) {
        m_searchBeyondASCII = m_searchBeyondASCII || !isASCII(text);
        appendFolded(key, text);
    };
    for (const QString *text : {&m_title, &m_artist, &m_label, &m_catalogNumber, &m_barcode, &m_format,
                                &m_country, &m_notes, &m_location})
        append(*text);
    for (const QStringList *list : {&m_genres, &m_styles}) {
        for (const QString &text : *list)
            append(text);
    }
    return key;
}

void Record::prepareSearch() const
{
    if (m_searchKey.isNull())
        m_searchKey = buildSearchKey();
}

bool Record::matches(const QString &search) const
{
    if (search.isEmpty())
        return false;
    bool ascii = true;
    bool yearLike = true; // only digits and a minus sign can occur in a year's text
    for (QChar c : search) {
        ascii = ascii && c.unicode() < 0x80;
        yearLike = yearLike && ((c >= u'0' && c <= u'9') || c == u'-');
    }
    if (ascii) {
        QVarLengthArray<char, 64> needle;
        for (QChar c : search)
            needle.append(char(asciiLower(c.unicode())));
        prepareSearch();
        if (std::string_view(m_searchKey.constData(), size_t(m_searchKey.size()))
                .find(std::string_view(needle.constData(), size_t(needle.size())))
            != std::string_view::npos)
            return true;
    } else {
        prepareSearch();
        const QString composed = search.normalized(QString::NormalizationForm_C);
        const bool compose = m_searchBeyondASCII;
        auto has = [&composed, compose](const QString &text) {
            if (text.contains(composed, Qt::CaseInsensitive))
                return true;
            return compose && !isASCII(text)
                && text.normalized(QString::NormalizationForm_C).contains(composed, Qt::CaseInsensitive);
        };
        if (has(m_title) || has(m_artist) || has(m_label) || has(m_catalogNumber) || has(m_barcode)
            || has(m_format) || has(m_country) || has(m_notes) || has(m_location))
            return true;
        if (std::any_of(m_genres.begin(), m_genres.end(), has)
            || std::any_of(m_styles.begin(), m_styles.end(), has))
            return true;
    }
    return yearLike && m_year && QString::number(*m_year).contains(search);
}

void Record::applyReleaseMetadata(const RecordDraft &draft)
{
    applyReleaseMetadata(draft,
        draft.coverImageData ? prepareCover(*draft.coverImageData) : std::nullopt);
}

void Record::applyReleaseMetadata(const RecordDraft &draft, const std::optional<PreparedCover> &cover)
{
    auto fill = [](const QString &value, auto setter) {
        if (!value.isEmpty())
            setter(value);
    };
    fill(draft.title, [this](const QString &v) { setTitle(v); });
    fill(draft.artist, [this](const QString &v) { setArtist(v); });
    fill(draft.label, [this](const QString &v) { setLabel(v); });
    fill(draft.catalogNumber, [this](const QString &v) { setCatalogNumber(v); });
    fill(draft.format, [this](const QString &v) { setFormat(v); });
    fill(draft.country, [this](const QString &v) { setCountry(v); });
    if (draft.year)
        setYear(draft.year);
    if (!draft.genres.isEmpty())
        setGenres(draft.genres);
    if (!draft.styles.isEmpty())
        setStyles(draft.styles);
    if (m_barcode.isEmpty())
        setBarcode(draft.barcode);
    if (!draft.tracks.isEmpty())
        setTracks(draft.tracks);
    if (draft.discogsReleaseID)
        setDiscogsReleaseID(draft.discogsReleaseID);
    if (draft.musicBrainzID)
        setMusicBrainzID(draft.musicBrainzID);
    if (draft.sourceURL)
        setSourceURL(draft.sourceURL);
    // A download that is not an image must not throw away a good cover.
    if (cover)
        setPreparedCover(cover);
}

QList<std::pair<QString, int>> Record::genreCounts(const QList<Record *> &records)
{
    QHash<QString, int> counts;
    for (qsizetype i = 0; i < records.size(); ++i) {
        prefetchAhead(records, i);
        if (i + kGenresAhead < records.size())
            __builtin_prefetch(records[i + kGenresAhead]->m_genres.constData());
        for (const QString &genre : records[i]->m_genres)
            ++counts[genre];
    }
    QList<std::pair<QString, int>> result;
    result.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        result.append({it.key(), it.value()});
    std::sort(result.begin(), result.end(), [](const auto &a, const auto &b) {
        if (a.second != b.second)
            return a.second > b.second;
        return a.first < b.first;
    });
    return result;
}

QList<std::pair<int, int>> Record::decadeCounts(const QList<Record *> &records)
{
    QMap<int, int> counts;
    for (qsizetype i = 0; i < records.size(); ++i) {
        prefetchAhead(records, i);
        if (const std::optional<int> year = records[i]->m_year)
            ++counts[*year / 10 * 10];
    }
    QList<std::pair<int, int>> result;
    result.reserve(counts.size());
    for (auto it = counts.cend(); it != counts.cbegin();) {
        --it;
        result.append({it.key(), it.value()});
    }
    return result;
}

} // namespace vorla
