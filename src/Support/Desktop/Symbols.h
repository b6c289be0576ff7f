#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The named symbols the screens use ("gearshape", "xmark", "chevron.left", ...), taken from the
// desktop's icon theme the way Linux programs get them, with Adwaita as the fallback theme. The
// symbolic icons are tinted to the colour of the place they stand in. A few symbols have no
// icon that fits in every theme; those are drawn here.
namespace Symbols {

// Makes Adwaita the fallback theme and lets Qt find the installed themes even where the
// platform names none (offscreen, bare X11). Runs once; every lookup below calls it too.
void useFallbackTheme();

// Every symbol name the screens use.
QStringList names();

// The freedesktop icon name standing in for a symbol; empty for the drawn symbols and for
// unknown names.
QString themeName(const QString& symbol);

// Whether the symbol is drawn here rather than taken from the theme.
bool isDrawn(const QString& symbol);

// The symbol in a square of `size` logical pixels at `devicePixelRatio`, tinted to `color`.
// Transparent for unknown symbols. Cached: cheap to call from paint events.
QPixmap pixmap(const QString& symbol, int size, const QColor& color, qreal devicePixelRatio = 1.0);

// The symbol as an icon in `color` at 1x and 2x.
QIcon icon(const QString& symbol, int size, const QColor& color);

// The drawn form of a drawn symbol; transparent for the others.
QImage drawn(const QString& symbol, int size, qreal devicePixelRatio, const QColor& color);

} // namespace Symbols
