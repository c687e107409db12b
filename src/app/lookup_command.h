// The diagnostic lookup (VORLA_LOOKUP): what the lookup facade returns for one barcode or
// typed line, printed as plain lines.
#pragma once

#include <QString>

#include <stop_token>

class QTextStream;

namespace vorla {

struct MetadataService;

namespace DebugHooks {

// Asks `service` about `text` and prints the sources, the candidates and the first
// candidate's details; a failure is printed as one "Error: " line.
void printLookup(const MetadataService &service, const QString &text, QTextStream &out,
    std::stop_token stop = {});

} // namespace DebugHooks

} // namespace vorla
