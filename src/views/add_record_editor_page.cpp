#include "views/add_record_editor_page.h"

#include "views/components/symbol_icon.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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

    auto *form = new QWidget(this);
    form->setObjectName(QStringLiteral("recordEditorForm"));
    auto *fields = new QFormLayout(form);
    fields->setContentsMargins(20, 16, 20, 16);
    auto line = [&](const QString &name, const QString &label, QString RecordDraft::*field) {
        auto *edit = new QLineEdit(form);
        edit->setObjectName(name);
        fields->addRow(label, edit);
        connect(edit, &QLineEdit::textEdited, this, [this, field](const QString &text) {
            m_draft.*field = text;
            emit draftEdited();
        });
        return edit;
    };
    auto grade = [&](const QString &name, const QString &label, Grading RecordDraft::*field) {
        auto *box = new QComboBox(form);
        box->setObjectName(name);
        for (Grading grading : allGradings)
            box->addItem(vorla::label(grading), int(grading));
        fields->addRow(label, box);
        connect(box, &QComboBox::activated, this, [this, box, field](int index) {
            m_draft.*field = Grading(box->itemData(index).toInt());
            emit draftEdited();
        });
        return box;
    };
    QLineEdit *title = line(QStringLiteral("titleField"), tr("Title"), &RecordDraft::title);
    QLineEdit *artist = line(QStringLiteral("artistField"), tr("Artist"), &RecordDraft::artist);
    QLineEdit *barcode = line(QStringLiteral("draftBarcodeField"), tr("Barcode"), &RecordDraft::barcode);
    QComboBox *media = grade(QStringLiteral("mediaField"), tr("Media"), &RecordDraft::mediaCondition);
    QComboBox *sleeve = grade(QStringLiteral("sleeveField"), tr("Sleeve"), &RecordDraft::sleeveCondition);
    QLineEdit *location = line(QStringLiteral("locationField"), tr("Location"), &RecordDraft::location);
    m_editor = form;
    layout->addWidget(form, 1);

    m_load = [=, this] {
        title->setText(m_draft.title);
        artist->setText(m_draft.artist);
        barcode->setText(m_draft.barcode);
        location->setText(m_draft.location);
        media->setCurrentIndex(media->findData(int(m_draft.mediaCondition)));
        sleeve->setCurrentIndex(sleeve->findData(int(m_draft.sleeveCondition)));
    };
}

void AddRecordEditorPage::setDraft(const RecordDraft &draft)
{
    m_draft = draft;
    m_load();
}

const RecordDraft &AddRecordEditorPage::draft() const
{
    return m_draft;
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
