#include "app/quit_guard.h"

#include "models/error.h"
#include "models/model_context.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace vorla {

QuitGuard::QuitGuard(QWidget *window, ModelContext *context, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_context(context)
{
    m_window->installEventFilter(this);
}

bool QuitGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || event->type() != QEvent::Close || m_leaving)
        return false;
    if (m_context->hasChanges()) {
        try {
            m_context->save();
        } catch (const StoreError &) {
            event->ignore();
            ask();
            return true;
        }
    }
    return false;
}

void QuitGuard::ask()
{
    if (m_question)
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Vorla"),
                                tr("Your latest changes could not be saved."),
                                QMessageBox::NoButton, m_window);
    box->setObjectName(QStringLiteral("quitGuardQuestion"));
    box->setInformativeText(m_context->saveError() + u' '
                            + tr("If you quit without saving, they are lost."));
    QPushButton *retry = box->addButton(tr("Retry"), QMessageBox::AcceptRole);
    retry->setObjectName(QStringLiteral("quitGuardRetry"));
    QPushButton *discard = box->addButton(tr("Quit Without Saving"), QMessageBox::DestructiveRole);
    discard->setObjectName(QStringLiteral("quitGuardDiscard"));
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("quitGuardCancel"));
    box->setDefaultButton(retry);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::buttonClicked, this, [this, retry, discard](QAbstractButton *button) {
        m_question = nullptr; // it is closing; a new close may ask again
        if (button == retry) {
            // Closing again saves again, and asks again when that fails too.
            QMetaObject::invokeMethod(m_window, &QWidget::close, Qt::QueuedConnection);
        } else if (button == discard) {
            m_context->discardChanges();
            m_leaving = true;
            QMetaObject::invokeMethod(m_window, &QWidget::close, Qt::QueuedConnection);
        }
    });
    m_question = box;
    box->open();
}

} // namespace vorla
