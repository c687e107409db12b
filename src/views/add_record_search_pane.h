// The add-record sheet's search page: one field for artist, title or catalog number, a note
// on where results come from, and the status line.
#pragma once

#include "views/add_record_state.h"

#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;

namespace vorla {

class AddRecordStatusView;

class AddRecordSearchPane : public QWidget
{
    Q_OBJECT

public:
    AddRecordSearchPane(AddRecordState *state, QWidget *parent = nullptr);

    // The note under the field, for the fallback setting and whether a token is in use.
    static QString note(bool useMusicBrainz, bool hasDiscogsToken);
    // Rebuilds the note; the token is unknown until the keyring has answered.
    void setNoteInputs(bool useMusicBrainz, std::optional<bool> hasDiscogsToken);

    QLineEdit *field() const { return m_field; }
    AddRecordStatusView *statusView() const { return m_status; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    AddRecordState *m_state;
    QLineEdit *m_field = nullptr;
    QLabel *m_note = nullptr;
    AddRecordStatusView *m_status = nullptr;
};

} // namespace vorla
