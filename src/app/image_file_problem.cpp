#include "app/image_file_problem.h"

#include "models/quoted_file_name.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cerrno>
#include <system_error>

namespace vorla {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ImageFileProblem", text);
}

} // namespace

std::optional<QString> imageFileProblem(const QString &path)
{
    const QFileInfo info(path);
    const QString name = quotedFileName(info.fileName());
    if (!info.exists())
        return tr("The file %1 couldn\u2019t be opened because there is no such file.").arg(name);
    if (info.isDir())
        return tr("The file %1 couldn\u2019t be opened because it is a folder.").arg(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return tr("The file %1 couldn\u2019t be opened (%2).")
            .arg(name, QString::fromStdString(std::generic_category().message(errno)));
    }
    // Only JPEG is decoded reduced; any other picture must fit the decoder's memory limit
    // whole.
    QImageReader reader(&file);
    const QSize size = reader.size();
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (size.isValid() && limitBytes > 0 && reader.format() != "jpeg"
        && qint64(size.width()) * size.height() * 4 > limitBytes) {
        return tr("The picture %1 is too large to decode (%2 \u00d7 %3 pixels).")
            .arg(name)
            .arg(size.width())
            .arg(size.height());
    }
    return std::nullopt;
}

} // namespace vorla
