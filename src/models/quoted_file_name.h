// How every message names a file: between curly quotation marks, with control characters
// written as escapes so that a file name never drives the terminal or breaks a line.
#pragma once

#include <QString>
#include <QStringView>

namespace vorla {

// “name”, with line breaks, tabs and other control characters escaped ("\n", "\t", "\u{1b}").
QString quotedFileName(QStringView name);

} // namespace vorla
