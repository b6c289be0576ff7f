#include "Support/Drawing/SewingMachineIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRegularExpression>

#include <array>

namespace SewingMachineIcon {

namespace {

using Kind = Shape::Kind;

constexpr std::array<Shape, 10> glyphShapes{{
    {Kind::roundedRect, 1.5, 2, 21, 3.2, 1.4, false},      // wide bar along the bottom
    {Kind::roundedRect, 14.5, 4, 5.5, 12, 1.2, false},     // upright at the right
    {Kind::roundedRect, 3.5, 12.5, 16.5, 6.5, 2.6, false}, // arm across the top
    {Kind::roundedRect, 3.5, 9.5, 5.5, 6, 1.4, false},     // head at the left, under the arm
    {Kind::roundedRect, 5.6, 6.6, 1.3, 3.4, 0.4, false},   // needle
    {Kind::roundedRect, 4.4, 5.9, 3.7, 0.9, 0.45, false},  // foot
    {Kind::roundedRect, 10.2, 18.5, 3.6, 2.9, 0.8, false}, // spool on top
    {Kind::circle, 17.6, 11.1, 5.3, 5.3, 0, false},        // wheel at the right
    {Kind::circle, 19.45, 12.95, 1.6, 1.6, 0, true},       // hole in the wheel
    {Kind::roundedRect, 6.5, 15, 6.5, 1.5, 0.75, true},    // slot in the arm
}};

constexpr double gridSize = 24;

// The shape as a path in a y-down coordinate system whose grid bottom-left corner is at
// (left, bottom).
QPainterPath pathOf(const Shape& shape, double left, double bottom, double unit) {
    const QRectF rect(left + shape.x * unit, bottom - (shape.y + shape.height) * unit,
                      shape.width * unit, shape.height * unit);
    QPainterPath path;
    if (shape.kind == Kind::circle)
        path.addEllipse(rect);
    else
        path.addRoundedRect(rect, shape.cornerRadius * unit, shape.cornerRadius * unit);
    return path;
}

// The glyph as one outline on a grid of `fine` units per grid unit (y down): the filled shapes
// merged, the cut-outs subtracted, so every renderer draws it the same way, masks or not. Path
// operations flatten curves with a fixed tolerance in path units, hence the finer grid.
QPainterPath outlineOnGrid(double fine) {
    QPainterPath filled;
    QPainterPath cuts;
    for (const Shape& shape : glyphShapes) {
        const QPainterPath path = pathOf(shape, 0, gridSize * fine, fine);
        if (shape.cutsOut)
            cuts = cuts.united(path);
        else
            filled = filled.united(path);
    }
    return filled.subtracted(cuts).simplified();
}

QString number(double value) {
    return QString::number(value, 'f', 4).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

} // namespace

void drawGlyph(QPainter* painter, const QRectF& rect, const QColor& color) {
    if (painter == nullptr || !painter->isActive())
        return;
    const double unit = std::min(rect.width(), rect.height()) / gridSize;
    const QPointF centre = rect.center();
    const double left = centre.x() - 12 * unit;
    const double bottom = centre.y() + 12 * unit; // the grid's y = 0, as QPainter's y grows down

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(color);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const Shape& shape : glyphShapes) {
        if (shape.cutsOut)
            painter->setCompositionMode(QPainter::CompositionMode_DestinationOut);
        painter->drawPath(pathOf(shape, left, bottom, unit));
    }
    painter->restore();
}

QImage image(qreal pointSize, qreal devicePixelRatio, const QColor& color) {
    const int pixels = qRound(pointSize * devicePixelRatio);
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    result.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&result);
    drawGlyph(&painter, QRectF(0, 0, pointSize, pointSize), color);
    return result;
}

QIcon icon(qreal pointSize, const QColor& color) {
    QIcon result;
    for (const qreal scale : {1.0, 1.5, 2.0, 3.0})
        result.addPixmap(QPixmap::fromImage(image(pointSize, scale, color)));
    result.setIsMask(true);
    return result;
}

QImage edgedImage(qreal pointSize, qreal devicePixelRatio, const QColor& fill, const QColor& edge) {
    const int pixels = qRound(pointSize * devicePixelRatio);
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    result.setDevicePixelRatio(devicePixelRatio);
    constexpr double fine = 200;
    static const QPainterPath outline = outlineOnGrid(fine);
    // The edge is two pixels wide at any size (thinner reads as a blur on a small icon);
    // the glyph shrinks by that much so the edge stays inside the image.
    const double edgeWidth = 2 / devicePixelRatio;
    const double unit = (pointSize - 2 * edgeWidth) / gridSize;
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(edgeWidth, edgeWidth);
    painter.scale(unit / fine, unit / fine);
    QPen pen(edge, 2 * edgeWidth * fine / unit);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(outline, pen);
    painter.fillPath(outline, fill);
    return result;
}

QString svgDocument(int size, const QString& fill) {
    constexpr double fine = 200;
    const QPainterPath outline = outlineOnGrid(fine);
    QString data;
    for (int i = 0; i < outline.elementCount(); ++i) {
        const QPainterPath::Element element = outline.elementAt(i);
        const QString point =
            number(element.x / fine) + QLatin1Char(' ') + number(element.y / fine);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            data += (i == 0 ? QStringLiteral("M") : QStringLiteral("ZM")) + point;
            break;
        case QPainterPath::LineToElement:
            data += QStringLiteral("L") + point;
            break;
        case QPainterPath::CurveToElement:
            data += QStringLiteral("C") + point;
            break;
        case QPainterPath::CurveToDataElement:
            data += QLatin1Char(' ') + point;
            break;
        }
    }
    if (!data.isEmpty())
        data += QLatin1Char('Z');

    const QString fillRule = outline.fillRule() == Qt::OddEvenFill ? QStringLiteral("evenodd")
                                                                   : QStringLiteral("nonzero");
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                          "viewBox=\"0 0 24 24\">\n"
                          "  <path fill=\"%2\" fill-rule=\"%3\" d=\"%4\"/>\n"
                          "</svg>\n")
        .arg(size)
        .arg(fill, fillRule, data);
}

} // namespace SewingMachineIcon
