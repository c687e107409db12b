#include "models/persistence.h"

#include "models/model_context.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace vorla::Persistence {

QUrl storeURL()
{
    const QString override = qEnvironmentVariable("VORLA_STORE");
    if (!override.isEmpty())
        return QUrl::fromLocalFile(QFileInfo(override).absoluteFilePath());
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Vorla");
    // A failure here shows up as the store failing to open. Notes and prices are private, so
    // a folder made here is its owner's alone.
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner);
    return QUrl::fromLocalFile(folder + QStringLiteral("/Vorla.store"));
}

std::unique_ptr<ModelContext> makeContainer()
{
    return std::make_unique<ModelContext>(storeURL().toLocalFile());
}

} // namespace vorla::Persistence
