// The batch sheet's input screen: a drop zone and button for photos of shelves and covers,
// example line formats, the editor for typed or pasted lines, and the footer that opens a
// text file or sends the lines to the matcher.
#pragma once

#include "scanner/photo_evidence.h"
#include "views/batch_text.h"

#include <QList>
#include <QUrl>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vorla {

class BatchMatcher;

class BatchInputPane : public QWidget
{
    Q_OBJECT

public:
    explicit BatchInputPane(BatchMatcher *matcher, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    // The editor's text with the file's text on a line of its own.
    void appendText(const QString &fileText);
    BatchText::Lines lines() const;
    // The layout photos are read with; kept in the settings.
    PhotoLayout photoLayout() const;
    // A message under the editor, e.g. why a text file was refused; empty hides it.
    void showNote(const QString &message);

    // Queues the lines the matcher can search for; lines it would skip stay in the editor.
    // Returns how many were queued.
    int match();

    // Image files among dropped URLs; others are left out.
    static QList<QUrl> imageFiles(const QList<QUrl> &urls);

signals:
    void cancelRequested();
    void choosePhotosRequested();
    void openTextFileRequested();
    void photosDropped(const QList<QUrl> &photos);
    // Lines were queued.
    void matched();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildDropZone();
    void updateFooter();

    BatchMatcher *m_matcher;
    QComboBox *m_layout = nullptr;
    QCheckBox *m_autoAdd = nullptr;
    QPlainTextEdit *m_editor = nullptr;
    QLabel *m_note = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_lineCount = nullptr;
    QPushButton *m_match = nullptr;
};

} // namespace vorla
