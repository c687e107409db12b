// Small builders shared by the photo matcher's tests.
#pragma once

#include "models/track.h"
#include "scanner/photo_evidence.h"
#include "services/release_candidate.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vorla::test {

inline QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

inline PhotoEvidence spineEvidence(const QStringList &lines, const QStringList &barcodes = {})
{
    PhotoEvidence e;
    e.kind = PhotoEvidence::Kind::spine;
    e.lines = lines;
    e.barcodes = barcodes;
    return e;
}

inline QStringList sourceIDs(const QList<ReleaseCandidate> &candidates)
{
    QStringList result;
    for (const ReleaseCandidate &c : candidates)
        result.append(c.sourceID);
    return result;
}

inline QList<Track> titled(const QStringList &titles)
{
    QList<Track> tracks;
    for (const QString &title : titles) {
        Track t;
        t.title = title;
        tracks.append(t);
    }
    return tracks;
}

} // namespace vorla::test
