// Keeps the window open while edits are unsaved: closing saves them first, and when that
// fails it asks whether to try again, quit without saving or stay.
#pragma once

#include <QObject>
#include <QMessageBox>
#include <QPointer>


class QWidget;

namespace vorla {

class ModelContext;

class QuitGuard : public QObject
{
    Q_OBJECT

public:
    // Watches `window`'s close requests; both must outlive the guard or be its parents.
    QuitGuard(QWidget *window, ModelContext *context, QObject *parent = nullptr);

    // The question while it is open.
    QMessageBox *question() const { return m_question; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ask();

    QWidget *m_window;
    ModelContext *m_context;
    QPointer<QMessageBox> m_question;
    bool m_leaving = false;
};

} // namespace vorla
