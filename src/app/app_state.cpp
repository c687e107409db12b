#include "app/app_state.h"

namespace vorla {

namespace {

template <typename T, typename Signal>
void assign(AppState *state, T &field, const T &value, Signal signal)
{
    if (field == value)
        return;
    field = value;
    emit(state->*signal)();
}

} // namespace

AppState::AppState(QObject *parent)
    : QObject(parent)
{ }

void AppState::setAddMode(std::optional<AddMode> mode)
{
    assign(this, m_addMode, mode, &AppState::addModeChanged);
}

void AppState::setShowImporter(bool show)
{
    assign(this, m_showImporter, show, &AppState::showImporterChanged);
}

void AppState::setShowExporter(bool show)
{
    assign(this, m_showExporter, show, &AppState::showExporterChanged);
}

void AppState::setShowBatchImport(bool show)
{
    assign(this, m_showBatchImport, show, &AppState::showBatchImportChanged);
}

void AppState::setBatchImportPicksPhotos(bool picks)
{
    assign(this, m_batchImportPicksPhotos, picks, &AppState::batchImportPicksPhotosChanged);
}

void AppState::setFetchMissingRequested(bool requested)
{
    assign(this, m_fetchMissingRequested, requested, &AppState::fetchMissingRequestedChanged);
}

} // namespace vorla
