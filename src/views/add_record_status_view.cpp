#include "views/add_record_status_view.h"

#include "views/components/symbol_icon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace vorla {

QProgressBar *makeSpinner(QWidget *parent)
{
    auto *spinner = new QProgressBar(parent);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedSize(48, 8);
    return spinner;
}

void bindText(QLineEdit *field, AddRecordState *state, QString (AddRecordState::*get)() const,
    void (AddRecordState::*set)(const QString &), void (AddRecordState::*changed)())
{
    field->setText((state->*get)());
    QObject::connect(field, &QLineEdit::textEdited, state, set);
    QObject::connect(state, changed, field, [field, state, get] {
        if (field->text() != (state->*get)())
            field->setText((state->*get)());
    });
}

AddRecordStatusView::AddRecordStatusView(AddRecordState *state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("statusView"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_box = new QWidget(this);
    m_box->setObjectName(QStringLiteral("statusBox"));
    m_box->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(m_box);

    auto *row = new QHBoxLayout(m_box);
    m_spinner = makeSpinner(m_box);
    m_icon = new QLabel(m_box);
    m_message = new QLabel(m_box);
    m_message->setObjectName(QStringLiteral("statusMessage"));
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_settings = new QPushButton(tr("Open Settings…"), m_box);
    m_settings->setObjectName(QStringLiteral("statusOpenSettings"));
    m_manual = new QPushButton(tr("Enter Manually"), m_box);
    m_manual->setObjectName(QStringLiteral("statusEnterManually"));
    for (QPushButton *button : { m_settings, m_manual })
        button->setAutoDefault(false);
    row->addWidget(m_spinner);
    row->addWidget(m_icon);
    row->addWidget(m_message, 1);
    row->addWidget(m_settings);
    row->addWidget(m_manual);

    connect(m_settings, &QPushButton::clicked, this, &AddRecordStatusView::openSettingsRequested);
    connect(m_manual, &QPushButton::clicked, this, &AddRecordStatusView::enterManuallyRequested);
    connect(state, &AddRecordState::statusChanged, this, &AddRecordStatusView::update);
    update();
}

void AddRecordStatusView::update()
{
    using Kind = AddRecordState::Status::Kind;
    const AddRecordState::Status &status = m_state->status();
    setVisible(status.kind != Kind::idle);
    m_message->setText(status.message);
    m_spinner->setVisible(status.kind == Kind::working);
    m_icon->setVisible(status.kind != Kind::working);
    m_manual->setVisible(status.kind == Kind::info || status.kind == Kind::failure);
    m_settings->setVisible(status.kind == Kind::failure && status.needsToken);

    const bool failed = status.kind == Kind::failure;
    const QColor orange(0xE0, 0x7B, 0x00);
    if (status.kind != Kind::working) {
        m_icon->setPixmap(failed ? symbolIcon(QStringLiteral("exclamationmark.triangle"), orange)
                                       .pixmap(16, 16)
                                 : symbolIcon(QStringLiteral("info.circle")).pixmap(16, 16));
    }
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText,
        failed ? orange : this->palette().color(QPalette::WindowText));
    m_message->setPalette(palette);
    m_box->layout()->setContentsMargins(
        status.kind == Kind::working ? QMargins(0, 0, 0, 0) : QMargins(10, 10, 10, 10));
    if (status.kind == Kind::working) {
        m_box->setStyleSheet({});
        m_message->setForegroundRole(QPalette::PlaceholderText);
    } else {
        m_message->setForegroundRole(QPalette::WindowText);
        m_box->setStyleSheet(failed
                ? QStringLiteral("#statusBox { background: rgba(224, 123, 0, 20); border-radius: 8px; }")
                : QStringLiteral("#statusBox { background: rgba(128, 128, 128, 28); border-radius: 8px; }"));
    }
}

} // namespace vorla
