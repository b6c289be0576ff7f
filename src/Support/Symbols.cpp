#include "Support/Symbols.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace Symbols {

QString themeName(const QString& symbol) {
    static const QHash<QString, QString> names{
        {QStringLiteral("gearshape"), QStringLiteral("preferences-system")},
        {QStringLiteral("xmark"), QStringLiteral("window-close")},
        {QStringLiteral("chevron.left"), QStringLiteral("go-previous")},
    };
    return names.value(symbol);
}

QImage drawn(const QString& symbol, int size, qreal devicePixelRatio, const QColor& color) {
    const int pixels = qRound(size * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    QPen pen(color, std::max(1.2, s / 10), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    if (symbol == QLatin1String("xmark")) {
        painter.setPen(pen);
        const double a = s * 0.28;
        const double b = s * 0.72;
        painter.drawLine(QPointF(a, a), QPointF(b, b));
        painter.drawLine(QPointF(b, a), QPointF(a, b));
    } else if (symbol == QLatin1String("chevron.left")) {
        painter.setPen(pen);
        painter.drawPolyline(QPolygonF{QPointF(s * 0.62, s * 0.22), QPointF(s * 0.36, s * 0.5),
                                       QPointF(s * 0.62, s * 0.78)});
    } else if (symbol == QLatin1String("gearshape")) {
        // Eight teeth around a ring with a hole.
        QPainterPath gear;
        const QPointF centre(s / 2, s / 2);
        const double outer = s * 0.45;
        const double inner = s * 0.33;
        constexpr int teeth = 8;
        for (int i = 0; i < teeth * 4; ++i) {
            const double angle = 2 * std::numbers::pi * i / (teeth * 4);
            const double radius = (i % 4 == 1 || i % 4 == 2) ? outer : inner;
            const QPointF point(centre.x() + radius * std::cos(angle),
                                centre.y() + radius * std::sin(angle));
            if (i == 0)
                gear.moveTo(point);
            else
                gear.lineTo(point);
        }
        gear.closeSubpath();
        gear.addEllipse(centre, s * 0.14, s * 0.14);
        gear.setFillRule(Qt::OddEvenFill);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(gear);
    }
    return image;
}

QIcon icon(const QString& symbol, int size, const QColor& color) {
    const QString name = themeName(symbol);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    QIcon result;
    for (const qreal scale : {1.0, 2.0})
        result.addPixmap(QPixmap::fromImage(drawn(symbol, size, scale, color)));
    return result;
}

} // namespace Symbols
