#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The named symbols the screens use ("gearshape", "xmark", "chevron.left"), from the icon theme
// when it has them, else drawn here, so a missing theme never leaves a button blank.
namespace Symbols {

// The freedesktop icon name standing in for a symbol; empty for unknown symbols.
QString themeName(const QString& symbol);

// The symbol at `size` points in `color`. Theme icons keep the theme's colours.
QIcon icon(const QString& symbol, int size, const QColor& color);

// The drawn form alone, at the given device pixel ratio; transparent for unknown symbols.
QImage drawn(const QString& symbol, int size, qreal devicePixelRatio, const QColor& color);

} // namespace Symbols
