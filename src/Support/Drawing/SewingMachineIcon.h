#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

// The application's glyph: a small sewing machine made of rounded rectangles and circles on a
// 24 x 24 grid. The tray icon, the popover header and the installed application icon are all
// drawn from the one list of shapes below, so they cannot drift apart.
namespace SewingMachineIcon {

// One filled shape in grid units, y growing upwards from the grid's bottom edge.
struct Shape {
    enum class Kind { roundedRect, circle };
    Kind kind;
    double x;
    double y;
    double width;
    double height;
    double cornerRadius; // 0 for circles
    bool cutsOut;        // erases what is already drawn (destination-out)
};

// Draws the glyph filled with `color`, centred in `rect` on a grid of min(width, height) / 24.
// Draws nothing when the painter is absent or not active.
void drawGlyph(QPainter* painter, const QRectF& rect, const QColor& color);

// A transparent image of pointSize x pointSize points at the given device pixel ratio, with
// the glyph drawn into its full rectangle.
QImage image(qreal pointSize, qreal devicePixelRatio = 1.0, const QColor& color = Qt::black);

// The glyph as an icon at 1x, 2x and 3x, marked as a mask where the platform honours it.
// Callers redraw it with the palette's text colour when the palette changes.
QIcon icon(qreal pointSize, const QColor& color);

// The glyph in `fill` with an `edge` two pixels wide around every outline, for places
// whose background nobody tells us (a tray): a light glyph with a dark edge reads on black,
// white and every grey between.
QImage edgedImage(qreal pointSize, qreal devicePixelRatio, const QColor& fill, const QColor& edge);

// An SVG document of `size` x `size` pixels drawing the same shapes in `fill`, with the cut-outs
// subtracted from the outline so the holes stay transparent. The installed application icons
// are made from this.
QString svgDocument(int size, const QString& fill);

} // namespace SewingMachineIcon
