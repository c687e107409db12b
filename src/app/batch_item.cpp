#include "app/batch_item.h"

#include "scanner/text_recognizer.h"

namespace vorla {

std::optional<ReleaseCandidate> BatchItem::chosen() const
{
    if (!chosenID)
        return std::nullopt;
    for (const ReleaseCandidate &candidate : candidates) {
        if (candidate.id() == *chosenID)
            return candidate;
    }
    return std::nullopt;
}

bool BatchItem::isDone() const
{
    return status.kind != Status::Kind::pending && status.kind != Status::Kind::searching;
}

RecordDraft recordDraft(const BatchItem &item)
{
    if (const std::optional<ReleaseCandidate> candidate = item.chosen())
        return draftFromCandidate(*candidate);

    RecordDraft draft;
    draft.artist = item.query.artist;
    if (!item.query.title.isEmpty())
        draft.title = item.query.title;
    else if (!item.query.text.isEmpty())
        draft.title = item.query.text;
    else
        draft.title = item.line;
    draft.label = item.query.label;
    draft.catalogNumber = item.query.catalogNumber;
    draft.format = QStringLiteral("Vinyl");
    if (item.evidence) {
        // What the photo itself showed outranks the words of its descriptive line.
        const QStringList numbers = TextRecognizer::catalogNumberCandidates(item.evidence->lines);
        draft.catalogNumber = numbers.isEmpty() ? QString() : numbers.first();
        draft.barcode
            = item.evidence->barcodes.isEmpty() ? QString() : item.evidence->barcodes.first();
    }
    return draft;
}

} // namespace vorla
