#include "models/track.h"

#include <QHashFunctions>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vorla {

size_t qHash(const Track &track, size_t seed)
{
    return qHashMulti(seed, track.id, track.position, track.title, track.duration);
}

std::optional<QByteArray> encodeTracklist(const QList<Track> &tracks)
{
    if (tracks.isEmpty())
        return std::nullopt;
    QJsonArray array;
    for (const Track &track : tracks) {
        array.append(QJsonObject{
            {QStringLiteral("position"), track.position},
            {QStringLiteral("title"), track.title},
            {QStringLiteral("duration"), track.duration},
        });
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

QList<Track> decodeTracklist(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return {};
    QList<Track> tracks;
    const QJsonArray array = document.array();
    tracks.reserve(array.size());
    for (const QJsonValue &value : array) {
        if (!value.isObject())
            return {};
        const QJsonObject object = value.toObject();
        const QJsonValue position = object.value(QLatin1String("position"));
        const QJsonValue title = object.value(QLatin1String("title"));
        const QJsonValue duration = object.value(QLatin1String("duration"));
        if (!position.isString() || !title.isString() || !duration.isString())
            return {};
        Track track;
        track.position = position.toString();
        track.title = title.toString();
        track.duration = duration.toString();
        tracks.append(std::move(track));
    }
    return tracks;
}

} // namespace vorla
