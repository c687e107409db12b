// What the add-record sheet asks of the world beyond the GUI thread: the lookup facade, the
// still-image and text readers, and the thumbnails of candidates. Behind an interface so the
// sheet's tests script every answer.
#pragma once

#include "models/record_draft.h"
#include "scanner/text_recognizer.h"
#include "services/release_candidate.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <stop_token>

namespace vorla {

struct ReleaseQuery;

// Every call except useMusicBrainz() blocks and runs on a worker thread; the calls must be
// safe to make from several threads at once. Failures are thrown vorla::Errors.
class AddRecordServices
{
public:
    virtual ~AddRecordServices();

    virtual QList<ReleaseCandidate> lookup(const QString &barcode, std::stop_token stop) const = 0;
    virtual QList<ReleaseCandidate> search(const ReleaseQuery &query, std::stop_token stop) const = 0;
    virtual RecordDraft details(const ReleaseCandidate &candidate, std::stop_token stop) const = 0;
    // Downloads the draft's cover when it names one; never throws.
    virtual void attachCover(RecordDraft &draft, std::stop_token stop) const = 0;
    // The encoded image at the address; empty when it cannot be had.
    virtual QByteArray thumbnail(const QUrl &url, std::stop_token stop) const = 0;
    // Whether a Discogs token is in use; may wait on the keyring.
    virtual bool hasDiscogsToken() const = 0;
    // The MusicBrainz fallback setting; cheap, called on the GUI thread.
    virtual bool useMusicBrainz() const = 0;

    // The barcodes in an image file, in reading order; throws when it is no readable image.
    virtual QStringList scanImage(const QString &path) const = 0;
    // The text of an image file; throws when it is no readable image.
    virtual RecognizedText recognize(const QString &path) const = 0;
    // The text of a camera frame; never throws.
    virtual RecognizedText recognize(const QImage &image) const = 0;

    // The lookup facade with the token and settings of the moment, and the real readers.
    static std::shared_ptr<const AddRecordServices> facade();
};

} // namespace vorla
