#include "views/collection_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace vorla {

namespace {

QString importFilter()
{
    return QFileDialog::tr("CSV or text files (*.csv *.txt *.tsv)");
}

QString exportFilter()
{
    return QFileDialog::tr("CSV files (*.csv)");
}

// Window-modal; `done` gets the chosen path, or none when the panel is cancelled.
void openFileDialog(QFileDialog *dialog, std::function<void(std::optional<QString>)> done)
{
    dialog->setWindowModality(Qt::WindowModal);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [done, answered](const QString &path) {
        *answered = true;
        done(path);
    });
    QObject::connect(dialog, &QDialog::finished, dialog, [done, answered] {
        if (!*answered)
            done(std::nullopt);
    });
    dialog->open();
}

} // namespace

void CollectionDialogs::chooseImportFile(QWidget *parent, std::function<void(std::optional<QString>)> done)
{
    auto *dialog = new QFileDialog(parent, QFileDialog::tr("Import CSV"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(importFilter());
    openFileDialog(dialog, std::move(done));
}

void CollectionDialogs::chooseExportFile(QWidget *parent, const QString &fileName,
                                         std::function<void(std::optional<QString>)> done)
{
    auto *dialog = new QFileDialog(parent, QFileDialog::tr("Export CSV"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(exportFilter());
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    dialog->selectFile(fileName);
    openFileDialog(dialog, std::move(done));
}

void CollectionDialogs::showAlert(QWidget *parent, const QString &title, const QString &message)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, title, title, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(message);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

void CollectionDialogs::confirmDelete(QWidget *parent, const QString &title, const QString &message,
                                      std::function<void(bool)> done)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::NoButton, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(message);
    QPushButton *remove = box->addButton(QMessageBox::tr("Delete"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, remove, done] {
        done(box->clickedButton() == remove);
    });
    box->open();
}

} // namespace vorla
