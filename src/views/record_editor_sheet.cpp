#include "views/record_editor_sheet.h"

#include "models/model_context.h"
#include "models/record.h"
#include "views/record_editor_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorla {

RecordEditorSheet::RecordEditorSheet(
    ModelContext *context, const QUuid &id, AppSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_id(id)
{
    setObjectName(QStringLiteral("recordEditorSheet"));
    setWindowTitle(tr("Edit Record"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(kWidth, kHeight);
    if (const Record *record = context->record(id))
        m_original = RecordDraft(*record);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_form = new RecordEditorForm(settings, this);
    m_form->setDraft(m_original);
    layout->addWidget(m_form, 1);
    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(14, 14, 14, 14);
    buttons->addStretch(1);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    m_save = new QPushButton(tr("Save"), this);
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_save->setDefault(true);
    connect(m_save, &QPushButton::clicked, this, &RecordEditorSheet::save);
    buttons->addWidget(m_save);
    layout->addLayout(buttons);

    connect(m_form, &RecordEditorForm::draftChanged, this, &RecordEditorSheet::updateSaveEnabled);
    connect(m_form, &RecordEditorForm::busyChanged, this, &RecordEditorSheet::updateSaveEnabled);
    updateSaveEnabled();
}

void RecordEditorSheet::updateSaveEnabled()
{
    // An image still being reduced would be lost by saving now, and one still being
    // prepared for storing would be decoded again on this thread.
    m_save->setEnabled(m_form->draft().isValid() && !m_form->isBusy());
}

void RecordEditorSheet::save()
{
    if (!m_save->isEnabled())
        return;
    if (Record *record = m_context ? m_context->record(m_id) : nullptr)
        applyChanges(m_original, m_form->draft(), *record, m_form->preparedCover());
    accept();
}

void RecordEditorSheet::applyChanges(const RecordDraft &original, const RecordDraft &edited,
    Record &record, const std::optional<PreparedDraftCover> &prepared)
{
    // Start from the record as it is now and take only what the user changed.
    RecordDraft merged(record);
    auto take = [&](auto RecordDraft::*member) {
        if (!(edited.*member == original.*member))
            merged.*member = edited.*member;
    };
    take(&RecordDraft::title);
    take(&RecordDraft::artist);
    take(&RecordDraft::year);
    take(&RecordDraft::label);
    take(&RecordDraft::catalogNumber);
    take(&RecordDraft::format);
    take(&RecordDraft::country);
    take(&RecordDraft::genres);
    take(&RecordDraft::styles);
    take(&RecordDraft::barcode);
    take(&RecordDraft::tracks);
    take(&RecordDraft::mediaCondition);
    take(&RecordDraft::sleeveCondition);
    take(&RecordDraft::notes);
    take(&RecordDraft::location);
    take(&RecordDraft::purchasePrice);
    take(&RecordDraft::purchaseDate);
    take(&RecordDraft::rating);
    take(&RecordDraft::isFavorite);
    take(&RecordDraft::dateAdded);
    take(&RecordDraft::discogsReleaseID);
    take(&RecordDraft::musicBrainzID);
    take(&RecordDraft::sourceURL);
    merged.coverChanged = edited.coverChanged;
    // Without a cover edit the stored cover stays exactly as it is.
    merged.coverImageData = edited.coverChanged ? edited.coverImageData : std::nullopt;
    merged.apply(record, prepared);
}

} // namespace vorla
