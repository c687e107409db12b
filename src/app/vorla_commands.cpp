#include "app/vorla_commands.h"

#include "app/app_state.h"

#include <QAction>
#include <QMenu>

namespace vorla {

VorlaCommands::VorlaCommands(AppState *appState, QObject *parent)
    : QObject(parent)
{
    scanBarcode = makeAction(tr("Scan Barcode…"), QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(scanBarcode, &QAction::triggered, appState,
        [appState] { appState->setAddMode(AddMode::scan); });
    searchOnline = makeAction(tr("Search Online…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(searchOnline, &QAction::triggered, appState,
        [appState] { appState->setAddMode(AddMode::search); });
    addManually = makeAction(tr("Add Record Manually…"), QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(addManually, &QAction::triggered, appState,
        [appState] { appState->setAddMode(AddMode::manual); });
    importList
        = makeAction(tr("Import List of Records…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    connect(importList, &QAction::triggered, appState,
        [appState] { appState->setShowBatchImport(true); });
    importPhotos = makeAction(
        tr("Import Photos of Records…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    // The sheet reads the photo flag when it opens, so it is set first.
    connect(importPhotos, &QAction::triggered, appState, [appState] {
        appState->setBatchImportPicksPhotos(true);
        appState->setShowBatchImport(true);
    });

    importCSV = makeAction(tr("Import CSV…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    connect(
        importCSV, &QAction::triggered, appState, [appState] { appState->setShowImporter(true); });
    exportCSV = makeAction(tr("Export CSV…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(
        exportCSV, &QAction::triggered, appState, [appState] { appState->setShowExporter(true); });
    fetchMissing = makeAction(tr("Fetch Missing Metadata && Artwork"), QKeySequence());
    connect(fetchMissing, &QAction::triggered, appState,
        [appState] { appState->setFetchMissingRequested(true); });
}

QAction *VorlaCommands::makeAction(const QString &text, const QKeySequence &shortcut)
{
    auto *action = new QAction(text, this);
    action->setShortcut(shortcut);
    return action;
}

void VorlaCommands::addTo(QMenu *fileMenu) const
{
    fileMenu->addAction(scanBarcode);
    fileMenu->addAction(searchOnline);
    fileMenu->addAction(addManually);
    fileMenu->addSeparator();
    fileMenu->addAction(importList);
    fileMenu->addAction(importPhotos);
    fileMenu->addSeparator();
    fileMenu->addAction(importCSV);
    fileMenu->addAction(exportCSV);
    fileMenu->addSeparator();
    fileMenu->addAction(fetchMissing);
}

} // namespace vorla
