#include "views/add_record_editor_page.h"

#include "app/app_settings.h"
#include "views/record_editor_form.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vorla {

namespace {

QLabel *banner(const QString &name, const QString &style, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setStyleSheet(style);
    label->hide();
    return label;
}

} // namespace

AddRecordEditorPage::AddRecordEditorPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("editingPage"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_warning = banner(QStringLiteral("duplicateWarning"),
        QStringLiteral("QLabel { color: #c25e00; background: rgba(255, 149, 0, 26); padding: 8px 20px; }"),
        this);
    m_failure = banner(QStringLiteral("saveFailure"),
        QStringLiteral("QLabel { color: #c0392b; background: rgba(255, 59, 48, 26); padding: 8px 20px; }"),
        this);
    layout->addWidget(m_warning);
    layout->addWidget(m_failure);

    m_editor = new RecordEditorForm(AppSettings::shared(), this);
    layout->addWidget(m_editor, 1);
    connect(m_editor, &RecordEditorForm::draftChanged, this, &AddRecordEditorPage::draftEdited);
}

void AddRecordEditorPage::setDraft(const RecordDraft &draft)
{
    m_editor->setDraft(draft);
}

const RecordDraft &AddRecordEditorPage::draft() const
{
    return m_editor->draft();
}

void AddRecordEditorPage::setDuplicateWarning(const std::optional<QString> &warning)
{
    m_warning->setText(warning ? QStringLiteral("⚠ ") + *warning : QString());
    m_warning->setVisible(warning.has_value());
}

void AddRecordEditorPage::setSaveFailure(const std::optional<QString> &message)
{
    m_failure->setText(message.value_or(QString()));
    m_failure->setVisible(message.has_value());
}

} // namespace vorla
