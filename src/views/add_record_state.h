// Everything the add-record sheet knows while it is open: how it finds a record (mode), where
// it stands (phase), what it found, the one status line and the draft on its way into the
// library. The sheet changes it and its panes follow it; each setter notifies only on a
// real change.
#pragma once

#include "app/add_mode.h"
#include "models/grading.h"
#include "models/record_draft.h"
#include "scanner/text_recognizer.h"
#include "services/release_candidate.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace vorla {

class AddRecordState : public QObject
{
    Q_OBJECT

public:
    enum class Phase { lookup, results, loading, editing };
    enum class ScanTarget { barcode, text };
    enum class Field { barcode, query };

    struct Status
    {
        enum class Kind { working, info, failure, idle };
        Kind kind = Kind::idle;
        QString message;
        bool needsToken = false;

        static Status working(const QString &message) { return { Kind::working, message, false }; }
        static Status info(const QString &message) { return { Kind::info, message, false }; }
        static Status failure(const QString &message, bool needsToken)
        {
            return { Kind::failure, message, needsToken };
        }
        static Status idle() { return {}; }
        bool isWorking() const { return kind == Kind::working; }
        bool operator==(const Status &) const = default;
    };

    // The copy's own details that the next record of the session starts with.
    struct CarryOver
    {
        QString location;
        Grading mediaCondition = Grading::notGraded;
        Grading sleeveCondition = Grading::notGraded;

        // Fills only what the draft leaves empty or ungraded.
        RecordDraft applied(RecordDraft draft) const;
        bool operator==(const CarryOver &) const = default;
    };

    explicit AddRecordState(AddMode initialMode, QObject *parent = nullptr);

    AddMode mode() const { return m_mode; }
    Phase phase() const { return m_phase; }
    QString barcodeText() const { return m_barcodeText; }
    QString queryText() const { return m_queryText; }
    const QList<ReleaseCandidate> &candidates() const { return m_candidates; }
    std::optional<QString> selectedCandidate() const { return m_selectedCandidate; }
    const Status &status() const { return m_status; }
    const RecordDraft &draft() const { return m_draft; }
    int addedCount() const { return m_addedCount; }
    const CarryOver &carryOver() const { return m_carryOver; }
    const std::optional<RecognizedText> &recognized() const { return m_recognized; }
    bool isReadingText() const { return m_isReadingText; }
    // Kept in the settings under "scanTarget"; anything but "text" reads as barcode.
    ScanTarget scanTarget() const;
    QString lastBarcode() const { return m_lastBarcode; }

    void setMode(AddMode mode);
    void setPhase(Phase phase);
    void setBarcodeText(const QString &text);
    void setQueryText(const QString &text);
    void setCandidates(const QList<ReleaseCandidate> &candidates);
    void setSelectedCandidate(const std::optional<QString> &id);
    void setStatus(const Status &status);
    // The form edits the draft in place; draftChanged() tells the footer and the warning.
    void setDraft(const RecordDraft &draft);
    void setAddedCount(int count);
    void setCarryOver(const CarryOver &carryOver);
    void setRecognized(const std::optional<RecognizedText> &recognized);
    void setReadingText(bool reading);
    void setScanTarget(ScanTarget target);
    void setLastBarcode(const QString &digits);
    // Asks the pane holding the field for the keyboard focus.
    void focus(Field field);

    // The first candidate with the selected identity, if any.
    std::optional<ReleaseCandidate> selected() const;

signals:
    void modeChanged();
    void phaseChanged();
    void barcodeTextChanged();
    void queryTextChanged();
    void candidatesChanged();
    void selectedCandidateChanged();
    void statusChanged();
    void draftChanged();
    void addedCountChanged();
    void recognizedChanged();
    void readingTextChanged();
    void scanTargetChanged();
    void focusRequested(Field field);

private:
    AddMode m_mode;
    Phase m_phase;
    QString m_barcodeText;
    QString m_queryText;
    QList<ReleaseCandidate> m_candidates;
    std::optional<QString> m_selectedCandidate;
    Status m_status;
    RecordDraft m_draft;
    int m_addedCount = 0;
    CarryOver m_carryOver;
    std::optional<RecognizedText> m_recognized;
    bool m_isReadingText = false;
    QString m_lastBarcode;
};

} // namespace vorla
