// The file panels, alerts and the delete confirmation of the main window, behind one small
// interface so tests can answer them. Every call returns at once; the answer arrives later
// through the callback (window-modal dialogs, never a nested event loop).
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace vorla {

class CollectionDialogs
{
public:
    virtual ~CollectionDialogs() = default;

    // A CSV or plain-text file to import; none when the panel was cancelled.
    virtual void chooseImportFile(QWidget *parent, std::function<void(std::optional<QString>)> done);
    // Where to write the CSV file, proposing `fileName`; none when cancelled.
    virtual void chooseExportFile(QWidget *parent, const QString &fileName,
                                  std::function<void(std::optional<QString>)> done);
    // An alert with a title, a message and an OK button.
    virtual void showAlert(QWidget *parent, const QString &title, const QString &message);
    // The confirmation with a destructive "Delete" button and "Cancel"; true when confirmed.
    virtual void confirmDelete(QWidget *parent, const QString &title, const QString &message,
                               std::function<void(bool)> done);
};

} // namespace vorla
