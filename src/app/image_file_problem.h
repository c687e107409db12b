// Why an image file named to a diagnostic command cannot be read, each cause in its own
// words, before the image routines would call every failure a wrong format.
#pragma once

#include <QString>

#include <optional>

namespace vorla {

// None when the file may be read: it exists, is a file, opens, and its picture is not too
// large to decode.
std::optional<QString> imageFileProblem(const QString &path);

} // namespace vorla
