// The add-record sheet's one status line: a spinner with what is running, a neutral note or a
// failure, each of the last two with a way to type the record in instead.
#pragma once

#include "views/add_record_state.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vorla {

class AddRecordStatusView : public QWidget
{
    Q_OBJECT

public:
    explicit AddRecordStatusView(AddRecordState *state, QWidget *parent = nullptr);

signals:
    void enterManuallyRequested();
    void openSettingsRequested();

private:
    void update();

    AddRecordState *m_state;
    QWidget *m_box = nullptr;
    QProgressBar *m_spinner = nullptr;
    QLabel *m_icon = nullptr;
    QLabel *m_message = nullptr;
    QPushButton *m_settings = nullptr;
    QPushButton *m_manual = nullptr;
};

// A small indeterminate progress bar standing in for a spinner.
QProgressBar *makeSpinner(QWidget *parent);

// Keeps a text field and one text of the state in step both ways.
void bindText(QLineEdit *field, AddRecordState *state, QString (AddRecordState::*get)() const,
    void (AddRecordState::*set)(const QString &), void (AddRecordState::*changed)());

} // namespace vorla
