// One row of the batch list: a typed line or one record seen in a photo, with what matching
// made of it.
#pragma once

#include "models/record_draft.h"
#include "scanner/photo_evidence.h"
#include "services/release_candidate.h"
#include "services/release_query.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace vorla {

struct BatchItem
{
    struct Status
    {
        enum class Kind { failed, pending, searching, matched, needsReview, notFound };

        Kind kind = Kind::pending;
        // The user-visible reason of a failure; empty otherwise.
        QString reason;

        static Status failed(const QString &reason) { return { Kind::failed, reason }; }
        static Status pending() { return { Kind::pending, {} }; }
        static Status searching() { return { Kind::searching, {} }; }
        static Status matched() { return { Kind::matched, {} }; }
        static Status needsReview() { return { Kind::needsReview, {} }; }
        static Status notFound() { return { Kind::notFound, {} }; }

        bool operator==(const Status &) const = default;
    };

    QUuid id = QUuid::createUuid();
    // The trimmed typed line, or the photo's descriptive line.
    QString line;
    ReleaseQuery query;
    // Absent for typed lines and for photos that could not be read.
    std::optional<PhotoEvidence> evidence;
    Status status;
    // In the order matching gave them.
    QList<ReleaseCandidate> candidates;
    std::optional<QString> chosenID;
    bool include = true;
    bool alreadyOwned = false;
    // The record that was added automatically for this row.
    std::optional<QUuid> addedRecordID;

    // The candidate whose id is chosenID, if any.
    std::optional<ReleaseCandidate> chosen() const;
    bool isAdded() const { return addedRecordID.has_value(); }
    // Neither waiting nor being searched.
    bool isDone() const;
};

// The draft a record is made from for the item: the chosen candidate's, else one built from
// the line, the query and the photo's text and first barcode, with the format "Vinyl".
RecordDraft recordDraft(const BatchItem &item);

} // namespace vorla
