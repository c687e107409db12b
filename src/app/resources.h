// The bundled resources (icons, the "Tink" sound). The UI library is static, so its
// resources are registered explicitly before first use.
#pragma once

#include <QUrl>

namespace vorla {

// Registers the bundled resources once; later calls do nothing.
void initResources();

// The short sound that marks a detected barcode or a finished text reading.
QUrl tinkSoundURL();

} // namespace vorla
