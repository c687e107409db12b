// VORLA_ANALYZE_PHOTO: the evidence of every record found in one photo, read with the layout
// VORLA_PHOTO_LAYOUT names, with the catalog numbers, barcodes and searches each one gives.
#include "app/debug_hooks.h"

#include "models/error.h"
#include "scanner/photo_analyzer.h"
#include "scanner/photo_matcher.h"
#include "scanner/text_recognizer.h"

#include <QElapsedTimer>
#include <QTextStream>

namespace vorla::DebugHooks {

int analyzePhoto(const QString &path, QTextStream &out)
{
    const PhotoLayout layout
        = photoLayoutFromRawValue(env().value(QStringLiteral("VORLA_PHOTO_LAYOUT")))
              .value_or(PhotoLayout::automatic);
    QElapsedTimer timer;
    timer.start();
    QList<PhotoEvidence> found;
    try {
        found = PhotoAnalyzer::analyze(path, layout);
    } catch (const Error &error) {
        out << "Error: " << error.message() << '\n';
        return 0;
    }
    out << QString::asprintf(
        "%lld record(s) in %.1fs", qlonglong(found.size()), double(timer.nsecsElapsed()) / 1e9)
        << '\n';
    int number = 0;
    for (const PhotoEvidence &evidence : std::as_const(found)) {
        out << "  " << ++number << ". [" << rawValue(evidence.kind) << "] "
            << evidence.lines.join(u' ') << '\n';
        const QStringList catalogNumbers = TextRecognizer::catalogNumberCandidates(evidence.lines);
        if (!catalogNumbers.isEmpty())
            out << "     cat#: " << listDescription(catalogNumbers) << '\n';
        if (!evidence.barcodes.isEmpty())
            out << "     barcode: " << listDescription(evidence.barcodes) << '\n';
        out << "     searches: " << listDescription(PhotoMatcher::keywordQueries(evidence)) << '\n';
    }
    return 0;
}

} // namespace vorla::DebugHooks
