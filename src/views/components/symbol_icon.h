// Icons named like the symbols the views ask for ("star.fill", "magnifyingglass"): the
// desktop theme's icon where one stands for the symbol, else the bundled SVG drawn in the
// palette's text colour, so the icons follow light and dark palettes.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace vorla {

QIcon symbolIcon(const QString &systemName);
// The bundled SVG drawn in one colour, for painting where the palette does not apply.
QIcon symbolIcon(const QString &systemName, const QColor &color);
bool hasSymbol(const QString &systemName);

} // namespace vorla
