// The application's own File menu items. They only set requests on AppState; the main
// window decides what to present.
#pragma once

#include <QObject>

class QAction;
class QMenu;

namespace vorla {

class AppState;

class VorlaCommands : public QObject
{
    Q_OBJECT

public:
    VorlaCommands(AppState *appState, QObject *parent);

    // In place of the usual "New" group.
    QAction *scanBarcode = nullptr;
    QAction *searchOnline = nullptr;
    QAction *addManually = nullptr;
    QAction *importList = nullptr;
    QAction *importPhotos = nullptr;
    // In place of the usual import/export group.
    QAction *importCSV = nullptr;
    QAction *exportCSV = nullptr;
    QAction *fetchMissing = nullptr;

    // Adds both groups to the File menu, each with its divider.
    void addTo(QMenu *fileMenu) const;

private:
    QAction *makeAction(const QString &text, const QKeySequence &shortcut);
};

} // namespace vorla
