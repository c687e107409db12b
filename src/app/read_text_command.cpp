// VORLA_READ_TEXT: the catalog numbers and lines read in one image file, and the search the
// first catalog number would make.
#include "app/debug_hooks.h"

#include "app/image_file_problem.h"
#include "models/error.h"
#include "scanner/text_recognizer.h"
#include "services/release_query.h"

#include <QTextStream>

namespace vorla::DebugHooks {

int readText(const QString &path, QTextStream &out)
{
    if (const auto problem = imageFileProblem(path)) {
        out << "Error: " << *problem << '\n';
        return 0;
    }
    RecognizedText text;
    try {
        text = TextRecognizer::recognize(path);
    } catch (const Error &error) {
        out << "Error: " << error.message() << '\n';
        return 0;
    }
    out << "Catalog numbers: " << listDescription(text.catalogNumbers) << '\n';
    out << "Lines: " << listDescription(text.lines) << '\n';
    if (!text.catalogNumbers.isEmpty())
        out << "Search: " << queryDescription(ReleaseQuery::parse(text.catalogNumbers.front())) << '\n';
    return 0;
}

} // namespace vorla::DebugHooks
