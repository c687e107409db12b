#include "app/app_state.h"

#include "core/assign_and_notify.h"

namespace vorla {

AppState::AppState(QObject *parent)
    : QObject(parent)
{ }

void AppState::setAddMode(std::optional<AddMode> mode)
{
    assignAndNotify(this, m_addMode, mode, &AppState::addModeChanged);
}

void AppState::setShowImporter(bool show)
{
    assignAndNotify(this, m_showImporter, show, &AppState::showImporterChanged);
}

void AppState::setShowExporter(bool show)
{
    assignAndNotify(this, m_showExporter, show, &AppState::showExporterChanged);
}

void AppState::setShowBatchImport(bool show)
{
    assignAndNotify(this, m_showBatchImport, show, &AppState::showBatchImportChanged);
}

void AppState::setBatchImportPicksPhotos(bool picks)
{
    assignAndNotify(this, m_batchImportPicksPhotos, picks, &AppState::batchImportPicksPhotosChanged);
}

void AppState::setFetchMissingRequested(bool requested)
{
    assignAndNotify(this, m_fetchMissingRequested, requested, &AppState::fetchMissingRequestedChanged);
}

} // namespace vorla
