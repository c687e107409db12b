#include "models/persistence.h"

#include "models/model_context.h"

#include <QDir>
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
    // A failure here shows up as the store failing to open.
    QDir().mkpath(folder);
    return QUrl::fromLocalFile(folder + QStringLiteral("/Vorla.store"));
}

std::unique_ptr<ModelContext> makeContainer()
{
    return std::make_unique<ModelContext>(storeURL().toLocalFile());
}

} // namespace vorla::Persistence
