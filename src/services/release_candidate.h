// One search hit from either web service, with just enough to list, compare and fetch it.
#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>

namespace vorla {

struct RecordDraft;

enum class MetadataSource { discogs, musicBrainz };

QString rawValue(MetadataSource source); // "discogs", "musicBrainz"
std::optional<MetadataSource> metadataSourceFromRawValue(QStringView text);

struct ReleaseCandidate
{
    MetadataSource source = MetadataSource::discogs;
    QString sourceID;
    QString title;
    QString artist;
    std::optional<qint64> year;
    QString label;
    QString catalogNumber;
    QString format;
    QString country;
    QString barcode;
    std::optional<QUrl> thumbnailURL;
    std::optional<QUrl> coverURL;
    std::optional<QUrl> webURL;
    std::optional<qint64> owners;

    // "discogs:123": hits for the same release share it even when other fields differ.
    QString id() const { return rawValue(source) + u':' + sourceID; }
    bool operator==(const ReleaseCandidate &) const = default;
};

size_t qHash(const ReleaseCandidate &candidate, size_t seed = 0);

// A draft filled from the hit: the release's fields, its source id and web address.
RecordDraft draftFromCandidate(const ReleaseCandidate &candidate);

} // namespace vorla
