#include "views/add_record_search_pane.h"

#include "views/add_record_status_view.h"
#include "views/components/symbol_icon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vorla {

AddRecordSearchPane::AddRecordSearchPane(AddRecordState *state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("searchPane"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(14);

    auto *title = new QLabel(tr("Search Discogs by artist, title, or catalog number"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    layout->addWidget(title);

    auto *fieldBox = new QWidget(this);
    fieldBox->setObjectName(QStringLiteral("searchFieldBox"));
    fieldBox->setAttribute(Qt::WA_StyledBackground);
    fieldBox->setStyleSheet(
        QStringLiteral("#searchFieldBox { background: rgba(128, 128, 128, 28); border-radius: 10px; }"));
    auto *fieldRow = new QHBoxLayout(fieldBox);
    fieldRow->setContentsMargins(10, 10, 10, 10);
    auto *icon = new QLabel(fieldBox);
    icon->setPixmap(symbolIcon(QStringLiteral("magnifyingglass")).pixmap(18, 18));
    m_field = new QLineEdit(fieldBox);
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setFrame(false);
    m_field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    QFont fieldFont = m_field->font();
    fieldFont.setPointSizeF(fieldFont.pointSizeF() * 1.25);
    m_field->setFont(fieldFont);
    m_field->setPlaceholderText(tr("e.g. Miles Davis Kind of Blue, or CL 1355"));
    m_field->setClearButtonEnabled(true);
    fieldRow->addWidget(icon);
    fieldRow->addWidget(m_field, 1);
    layout->addWidget(fieldBox);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("searchNote"));
    m_note->setWordWrap(true);
    m_note->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_note);

    m_status = new AddRecordStatusView(state, this);
    layout->addWidget(m_status);
    layout->addStretch(1);

    // Return is the sheet's default button, so the field itself starts nothing.
    bindText(m_field, state, &AddRecordState::queryText, &AddRecordState::setQueryText,
        &AddRecordState::queryTextChanged);
    connect(state, &AddRecordState::focusRequested, this, [this](AddRecordState::Field field) {
        if (field == AddRecordState::Field::query && isVisible())
            m_field->setFocus();
    });
}

QString AddRecordSearchPane::note(bool useMusicBrainz, bool hasDiscogsToken)
{
    QString text = useMusicBrainz
        ? tr("Results come from Discogs, falling back to MusicBrainz when Discogs has no match.")
        : tr("Results come from Discogs.");
    if (!hasDiscogsToken)
        text += tr(" Add a Discogs token in Settings to see cover thumbnails in results.");
    return text;
}

void AddRecordSearchPane::setNoteInputs(bool useMusicBrainz, std::optional<bool> hasDiscogsToken)
{
    m_note->setText(note(useMusicBrainz, hasDiscogsToken.value_or(true)));
}

void AddRecordSearchPane::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_field->setFocus();
}

} // namespace vorla
