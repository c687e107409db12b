// The bar above the collection that tells when edits cannot last: the library opened
// read-only, or a save failed (with the store's reason; the edits stay pending and the bar
// offers to try again). Hidden while every edit is saved.
#pragma once

#include <QWidget>

class QLabel;
class QMainWindow;
class QPushButton;

namespace vorla {

class ModelContext;

class LibraryMessageBar : public QWidget
{
    Q_OBJECT

public:
    explicit LibraryMessageBar(ModelContext *context, QWidget *parent = nullptr);

    QString text() const;

    // Puts a bar above the window's central widget.
    static LibraryMessageBar *install(QMainWindow *window, ModelContext *context);

private:
    void update();

    ModelContext *m_context;
    QLabel *m_icon;
    QLabel *m_text;
    QPushButton *m_retry;
};

} // namespace vorla
