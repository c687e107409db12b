// The window-modal sheet in which one stored record is edited: a copy of the record in the
// record editor form, and Save, which writes the fields the user changed into the record
// (the context's automatic saving persists them), or Cancel, which drops the copy.
#pragma once

#include "models/record_draft.h"

#include <QDialog>
#include <QPointer>
#include <QUuid>

class QPushButton;

namespace vorla {

class AppSettings;
class ModelContext;
class Record;
class RecordEditorForm;

class RecordEditorSheet : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 720;

    RecordEditorSheet(
        ModelContext *context, const QUuid &id, AppSettings &settings, QWidget *parent = nullptr);

    QUuid recordID() const { return m_id; }
    RecordEditorForm *form() const { return m_form; }
    // Writes the changes and closes; nothing is written when the record is gone.
    void save();

    // Writes into `record` only the fields in which `edited` differs from `original` (the
    // draft the sheet started from), so changes made meanwhile elsewhere survive. A new cover
    // is taken from `prepared` when that was made from it.
    static void applyChanges(const RecordDraft &original, const RecordDraft &edited,
        Record &record, const std::optional<PreparedDraftCover> &prepared = std::nullopt);

private:
    void updateSaveEnabled();

    QPointer<ModelContext> m_context;
    QUuid m_id;
    RecordDraft m_original;
    RecordEditorForm *m_form = nullptr;
    QPushButton *m_save = nullptr;
};

} // namespace vorla
