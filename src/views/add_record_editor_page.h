// The add-record sheet's review page: a warning when the release is in the collection
// already, a failed save, and the record editor form on the draft about to be added.
#pragma once

#include "models/record_draft.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace vorla {

class RecordEditorForm;

class AddRecordEditorPage : public QWidget
{
    Q_OBJECT

public:
    explicit AddRecordEditorPage(QWidget *parent = nullptr);

    void setDraft(const RecordDraft &draft);
    const RecordDraft &draft() const;
    void setDuplicateWarning(const std::optional<QString> &warning);
    void setSaveFailure(const std::optional<QString> &message);

    RecordEditorForm *editor() const { return m_editor; }

signals:
    // The user changed the draft in the form.
    void draftEdited();

private:
    QLabel *m_warning = nullptr;
    QLabel *m_failure = nullptr;
    RecordEditorForm *m_editor = nullptr;
};

} // namespace vorla
