// VORLA_SCAN_IMAGE: the barcodes of one image file, one per line.
#include "app/debug_hooks.h"

#include "app/image_file_problem.h"
#include "models/error.h"
#include "scanner/barcode_scanner.h"

#include <QTextStream>

namespace vorla::DebugHooks {

int scanImage(const QString &path, QTextStream &out)
{
    if (const auto problem = imageFileProblem(path)) {
        out << "Error: " << *problem << '\n';
        return 0;
    }
    try {
        const QStringList codes = BarcodeScanner::scanImage(path);
        if (codes.isEmpty())
            out << "No barcodes found\n";
        else
            out << codes.join(u'\n') << '\n';
    } catch (const Error &error) {
        out << "Error: " << error.message() << '\n';
    }
    return 0;
}

} // namespace vorla::DebugHooks
