// Replay of recorded searches: photo matching answered from a JSON file instead of the web
// services, so the batch review is the same on every run and needs no network.
#include "app/debug_hooks.h"

#include "models/error.h"
#include "services/discogs_client.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace vorla {

namespace {

// Recorded answers are small; anything far larger is not a recording.
constexpr qint64 kMaxReplayBytes = qint64(64) * 1024 * 1024;

QList<ReleaseCandidate> recordedSearch(const QJsonObject &recording, const ReleaseQuery &query)
{
    const QString key = query.catalogNumber.isEmpty()
        ? QStringLiteral("q:") + query.freeText()
        : QStringLiteral("catno:") + query.catalogNumber;
    const QJsonValue value = recording.value(key);
    QJsonDocument answer;
    if (value.isObject())
        answer = QJsonDocument(value.toObject());
    else if (value.isArray())
        answer = QJsonDocument(value.toArray());
    else
        return {};
    try {
        return DiscogsClient::mostOwnedFirst(
            DiscogsClient::parseSearch(answer.toJson(QJsonDocument::Compact)));
    } catch (const Error &) {
        return {};
    }
}

QList<Track> recordedTracklist(const QJsonObject &recording, const ReleaseCandidate &candidate)
{
    const QJsonValue value = recording.value(QStringLiteral("tracks:") + candidate.catalogNumber);
    const QJsonValue list = value.toObject().value(QStringLiteral("tracklist"));
    if (!list.isArray())
        return {};
    QList<Track> tracks;
    for (const QJsonValue &element : list.toArray()) {
        if (!element.isObject())
            return {};
        const QJsonObject entry = element.toObject();
        // Every member must be text: a recording with other values is of another shape.
        for (auto member = entry.begin(); member != entry.end(); ++member) {
            if (!member.value().isString())
                return {};
        }
        Track track;
        track.position = entry.value(QStringLiteral("position")).toString();
        track.title = entry.value(QStringLiteral("title")).toString();
        tracks.append(track);
    }
    return tracks;
}

} // namespace

std::optional<PhotoMatcher::Sources> DebugHooks::replaySourcesFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxReplayBytes)
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxReplayBytes + 1);
    if (bytes.size() > kMaxReplayBytes)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;

    const auto recording = std::make_shared<const QJsonObject>(document.object());
    PhotoMatcher::Sources sources;
    // Barcodes read from photos are never looked up during replay.
    sources.lookupBarcode
        = [](const QString &, std::stop_token) { return QList<ReleaseCandidate>(); };
    sources.search = [recording](const ReleaseQuery &query, std::stop_token) {
        return recordedSearch(*recording, query);
    };
    sources.tracklist = [recording](const ReleaseCandidate &candidate, std::stop_token) {
        return recordedTracklist(*recording, candidate);
    };
    return sources;
}

const std::optional<PhotoMatcher::Sources> &DebugHooks::replaySources()
{
    static const std::optional<PhotoMatcher::Sources> sources = [] {
        const auto path = env().constFind(QStringLiteral("VORLA_REPLAY_SEARCHES"));
        if (path == env().constEnd())
            return std::optional<PhotoMatcher::Sources>();
        return replaySourcesFromFile(*path);
    }();
    return sources;
}

} // namespace vorla
