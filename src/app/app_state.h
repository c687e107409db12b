// Application-wide requests: menus and other views set them, the main window presents
// what they ask for and resets them. Nothing here is saved between runs.
#pragma once

#include "app/add_mode.h"

#include <QObject>

#include <optional>

namespace vorla {

class AppState : public QObject
{
    Q_OBJECT

public:
    explicit AppState(QObject *parent = nullptr);

    std::optional<AddMode> addMode() const { return m_addMode; }
    bool showImporter() const { return m_showImporter; }
    bool showExporter() const { return m_showExporter; }
    bool showBatchImport() const { return m_showBatchImport; }
    bool batchImportPicksPhotos() const { return m_batchImportPicksPhotos; }
    bool fetchMissingRequested() const { return m_fetchMissingRequested; }

    // Each setter notifies only when the value really changes.
    void setAddMode(std::optional<AddMode> mode);
    void setShowImporter(bool show);
    void setShowExporter(bool show);
    void setShowBatchImport(bool show);
    void setBatchImportPicksPhotos(bool picks);
    void setFetchMissingRequested(bool requested);

signals:
    void addModeChanged();
    void showImporterChanged();
    void showExporterChanged();
    void showBatchImportChanged();
    void batchImportPicksPhotosChanged();
    void fetchMissingRequestedChanged();

private:
    std::optional<AddMode> m_addMode;
    bool m_showImporter = false;
    bool m_showExporter = false;
    bool m_showBatchImport = false;
    bool m_batchImportPicksPhotos = false;
    bool m_fetchMissingRequested = false;
};

} // namespace vorla
