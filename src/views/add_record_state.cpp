#include "views/add_record_state.h"

#include "app/app_settings.h"
#include "core/assign_and_notify.h"

namespace vorla {

RecordDraft AddRecordState::CarryOver::applied(RecordDraft draft) const
{
    if (draft.location.isEmpty())
        draft.location = location;
    if (draft.mediaCondition == Grading::notGraded)
        draft.mediaCondition = mediaCondition;
    if (draft.sleeveCondition == Grading::notGraded)
        draft.sleeveCondition = sleeveCondition;
    return draft;
}

AddRecordState::AddRecordState(AddMode initialMode, QObject *parent)
    : QObject(parent)
    , m_mode(initialMode)
    , m_phase(initialMode == AddMode::manual ? Phase::editing : Phase::lookup)
{
    connect(&AppSettings::shared(), &AppSettings::valueChanged, this, [this](const QString &key) {
        if (key == AppSettings::scanTargetKey)
            emit scanTargetChanged();
    });
}

AddRecordState::ScanTarget AddRecordState::scanTarget() const
{
    return AppSettings::shared().value(AppSettings::scanTargetKey).toString() == u"text" ? ScanTarget::text
                                                                              : ScanTarget::barcode;
}

void AddRecordState::setMode(AddMode mode)
{
    assignAndNotify(this, m_mode, mode, &AddRecordState::modeChanged);
}

void AddRecordState::setPhase(Phase phase)
{
    assignAndNotify(this, m_phase, phase, &AddRecordState::phaseChanged);
}

void AddRecordState::setBarcodeText(const QString &text)
{
    assignAndNotify(this, m_barcodeText, text, &AddRecordState::barcodeTextChanged);
}

void AddRecordState::setQueryText(const QString &text)
{
    assignAndNotify(this, m_queryText, text, &AddRecordState::queryTextChanged);
}

void AddRecordState::setCandidates(const QList<ReleaseCandidate> &candidates)
{
    assignAndNotify(this, m_candidates, candidates, &AddRecordState::candidatesChanged);
}

void AddRecordState::setSelectedCandidate(const std::optional<QString> &id)
{
    assignAndNotify(this, m_selectedCandidate, id, &AddRecordState::selectedCandidateChanged);
}

void AddRecordState::setStatus(const Status &status)
{
    assignAndNotify(this, m_status, status, &AddRecordState::statusChanged);
}

void AddRecordState::setDraft(const RecordDraft &draft)
{
    m_draft = draft;
    emit draftChanged();
}

void AddRecordState::setAddedCount(int count)
{
    assignAndNotify(this, m_addedCount, count, &AddRecordState::addedCountChanged);
}

void AddRecordState::setCarryOver(const CarryOver &carryOver)
{
    m_carryOver = carryOver;
}

void AddRecordState::setRecognized(const std::optional<RecognizedText> &recognized)
{
    assignAndNotify(this, m_recognized, recognized, &AddRecordState::recognizedChanged);
}

void AddRecordState::setReadingText(bool reading)
{
    assignAndNotify(this, m_isReadingText, reading, &AddRecordState::readingTextChanged);
}

void AddRecordState::setScanTarget(ScanTarget target)
{
    if (scanTarget() == target)
        return;
    // The settings object announces the change, and the connection above passes it on.
    AppSettings::shared().setValue(
        AppSettings::scanTargetKey, target == ScanTarget::text ? QStringLiteral("text") : QStringLiteral("barcode"));
}

void AddRecordState::setLastBarcode(const QString &digits)
{
    m_lastBarcode = digits;
}

void AddRecordState::focus(Field field)
{
    emit focusRequested(field);
}

std::optional<ReleaseCandidate> AddRecordState::selected() const
{
    if (!m_selectedCandidate)
        return std::nullopt;
    for (const ReleaseCandidate &candidate : m_candidates) {
        if (candidate.id() == *m_selectedCandidate)
            return candidate;
    }
    return std::nullopt;
}

} // namespace vorla
