#include "Support/Desktop/Symbols.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QStandardPaths>

#include <cmath>
#include <numbers>

namespace Symbols {

namespace {

// Symbol name to icon name. Empty names are drawn (drawn() below): the themes have no filled
// disc with an arrow or a cross in it and no dashed circle, and some of their icons say different
// things from one theme to the next: Breeze's and Papirus's document-save is a floppy disk
// ("save", where Adwaita's arrow into a tray says "put it down here"), Breeze's emblem-default
// and emblem-important are a bare tick and "!" (no badge), Adwaita's and Breeze's security-low
// an empty shield. The named ones mean the same in Adwaita, Breeze and Papirus.
const QList<std::pair<QString, QString>>& table() {
    static const QList<std::pair<QString, QString>> entries{
        // Breeze's emblem-system is a gear with a play sign in it; preferences-system is each
        // theme's own sign for settings (Adwaita's tools, Breeze's sliders, Papirus's gear).
        {QStringLiteral("gearshape"), QStringLiteral("preferences-system-symbolic")},
        {QStringLiteral("xmark"), QStringLiteral("window-close-symbolic")},
        {QStringLiteral("chevron.left"), QStringLiteral("go-previous-symbolic")},
        {QStringLiteral("chevron.right"), QStringLiteral("go-next-symbolic")},
        {QStringLiteral("arrow.down.circle.fill"), QString()},
        {QStringLiteral("checkmark.circle.fill"), QString()},
        {QStringLiteral("exclamationmark.triangle.fill"),
         QStringLiteral("dialog-warning-symbolic")},
        {QStringLiteral("exclamationmark.triangle"), QStringLiteral("dialog-warning-symbolic")},
        {QStringLiteral("square.and.arrow.down"), QString()},
        // Breeze has no symbolic signal-strength icon; its thin 22-pixel one shows too small.
        {QStringLiteral("dot.radiowaves.left.and.right"),
         QStringLiteral("network-wireless-symbolic")},
        // The theme's question icon is a diamond that reads as a missing glyph: drawn instead.
        {QStringLiteral("questionmark.circle"), QString()},
        {QStringLiteral("checkmark"), QStringLiteral("object-select-symbolic")},
        {QStringLiteral("ellipsis.circle"), QStringLiteral("view-more-horizontal-symbolic")},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh-symbolic")},
        {QStringLiteral("plus"), QStringLiteral("list-add-symbolic")},
        {QStringLiteral("circle.dashed"), QString()},
        {QStringLiteral("xmark.circle.fill"), QString()},
        {QStringLiteral("pencil"), QStringLiteral("document-edit-symbolic")},
        {QStringLiteral("exclamationmark.shield.fill"), QString()},
        {QStringLiteral("exclamationmark.circle.fill"), QString()},
    };
    return entries;
}

const QHash<QString, QString>& lookup() {
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> result;
        for (const auto& [symbol, icon] : table())
            result.insert(symbol, icon);
        return result;
    }();
    return names;
}

// Paints `image` (premultiplied) in `color`, keeping its alpha: the theme's symbolic icons come
// in one dark grey and take the colour of the place they stand in.
void tint(QImage& image, const QColor& color) {
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
}

QPainterPath arrowDown(double s) {
    QPainterPath arrow;
    arrow.moveTo(s * 0.5, s * 0.74);
    arrow.lineTo(s * 0.28, s * 0.52);
    arrow.moveTo(s * 0.5, s * 0.74);
    arrow.lineTo(s * 0.72, s * 0.52);
    arrow.moveTo(s * 0.5, s * 0.74);
    arrow.lineTo(s * 0.5, s * 0.26);
    return arrow;
}

QPainterPath tick(double s) {
    QPainterPath path;
    path.moveTo(s * 0.3, s * 0.52);
    path.lineTo(s * 0.44, s * 0.66);
    path.lineTo(s * 0.7, s * 0.38);
    return path;
}

// The stroke and, nearly as short as it is wide, the dot below it.
QPainterPath exclamationMark(double s, double top) {
    QPainterPath path;
    path.moveTo(s * 0.5, s * top);
    path.lineTo(s * 0.5, s * (top + 0.28));
    path.moveTo(s * 0.5, s * (top + 0.43));
    path.lineTo(s * 0.5, s * (top + 0.44));
    return path;
}

QPainterPath shield(double s) {
    QPainterPath path;
    path.moveTo(s * 0.5, s * 0.05);
    path.lineTo(s * 0.87, s * 0.19);
    path.lineTo(s * 0.87, s * 0.45);
    path.cubicTo(s * 0.87, s * 0.7, s * 0.7, s * 0.86, s * 0.5, s * 0.96);
    path.cubicTo(s * 0.3, s * 0.86, s * 0.13, s * 0.7, s * 0.13, s * 0.45);
    path.lineTo(s * 0.13, s * 0.19);
    path.closeSubpath();
    return path;
}

// An open tray with an arrow going down into it.
QPainterPath tray(double s) {
    QPainterPath path;
    path.moveTo(s * 0.12, s * 0.56);
    path.lineTo(s * 0.12, s * 0.88);
    path.lineTo(s * 0.88, s * 0.88);
    path.lineTo(s * 0.88, s * 0.56);
    path.moveTo(s * 0.5, s * 0.08);
    path.lineTo(s * 0.5, s * 0.66);
    path.moveTo(s * 0.29, s * 0.45);
    path.lineTo(s * 0.5, s * 0.66);
    path.lineTo(s * 0.71, s * 0.45);
    return path;
}

QPainterPath cross(double s) {
    QPainterPath path;
    path.moveTo(s * 0.34, s * 0.34);
    path.lineTo(s * 0.66, s * 0.66);
    path.moveTo(s * 0.66, s * 0.34);
    path.lineTo(s * 0.34, s * 0.66);
    return path;
}

} // namespace

void useFallbackTheme() {
    static const bool done = [] {
        // Platforms without a desktop theme (offscreen, bare X11) search only Qt's resources.
        QStringList paths = QIcon::themeSearchPaths();
        const QStringList dataDirs =
            QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
        for (const QString& dir : dataDirs) {
            const QString icons = dir + QStringLiteral("/icons");
            if (!paths.contains(icons))
                paths.append(icons);
        }
        QIcon::setThemeSearchPaths(paths);
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        // A lookup without any theme name finds nothing, not even in the fallback theme.
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(QStringLiteral("hicolor"));
        return true;
    }();
    Q_UNUSED(done);
}

QStringList names() {
    QStringList result;
    for (const auto& entry : table())
        result.append(entry.first);
    return result;
}

QString themeName(const QString& symbol) {
    return lookup().value(symbol);
}

bool isDrawn(const QString& symbol) {
    return lookup().contains(symbol) && lookup().value(symbol).isEmpty();
}

QImage drawn(const QString& symbol, int size, qreal devicePixelRatio, const QColor& color) {
    const int pixels = qRound(size * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    if (!isDrawn(symbol))
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const QRectF disc(s * 0.06, s * 0.06, s * 0.88, s * 0.88);

    if (symbol == QLatin1String("questionmark.circle")) {
        painter.setPen(QPen(color, std::max(1.2, s / 12)));
        painter.drawEllipse(disc.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
        QFont font;
        font.setPixelSize(std::max(1, qRound(s * 0.62)));
        font.setWeight(QFont::Bold);
        QPainterPath mark;
        mark.addText(0, 0, font, QStringLiteral("?"));
        const QRectF bounds = mark.boundingRect();
        mark.translate(disc.center() - bounds.center());
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(mark);
        return image;
    }
    if (symbol == QLatin1String("circle.dashed")) {
        QPen pen(color, std::max(1.2, s / 12), Qt::SolidLine, Qt::FlatCap);
        // Eight dashes with equal gaps, in units of the pen width.
        const double circumference = std::numbers::pi * disc.width() * 0.92;
        const double unit = circumference / 16 / pen.widthF();
        pen.setDashPattern({unit, unit});
        painter.setPen(pen);
        painter.drawEllipse(disc.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
        return image;
    }

    if (symbol == QLatin1String("square.and.arrow.down")) {
        painter.setPen(
            QPen(color, std::max(1.2, s * 0.09), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter.drawPath(tray(s));
        return image;
    }

    // A filled disc or shield with a mark cut out of it.
    const bool isShield = symbol == QLatin1String("exclamationmark.shield.fill");
    QPainterPath shape = isShield ? shield(s) : QPainterPath();
    if (!isShield)
        shape.addEllipse(disc);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(shape);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    QPen cut(Qt::black, std::max(1.5, s * 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(cut);
    painter.setBrush(Qt::NoBrush);
    if (symbol == QLatin1String("arrow.down.circle.fill"))
        painter.drawPath(arrowDown(s));
    else if (symbol == QLatin1String("xmark.circle.fill"))
        painter.drawPath(cross(s));
    else if (symbol == QLatin1String("checkmark.circle.fill"))
        painter.drawPath(tick(s));
    else
        painter.drawPath(exclamationMark(s, isShield ? 0.27 : 0.24));
    return image;
}

QPixmap pixmap(const QString& symbol, int size, const QColor& color, qreal devicePixelRatio) {
    const QString key = QStringLiteral("bobbinlark-symbol:%1:%2:%3:%4")
                            .arg(symbol)
                            .arg(size)
                            .arg(color.rgba(), 8, 16)
                            .arg(devicePixelRatio);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    QImage image;
    const QString name = themeName(symbol);
    if (!name.isEmpty()) {
        useFallbackTheme();
        const QIcon themed = QIcon::fromTheme(name);
        const int pixels = qRound(size * devicePixelRatio);
        image = QImage(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        if (!themed.isNull()) {
            QPainter painter(&image);
            themed.paint(&painter, image.rect());
        }
        tint(image, color);
        image.setDevicePixelRatio(devicePixelRatio);
    } else {
        image = drawn(symbol, size, devicePixelRatio, color);
    }
    QPixmap result = QPixmap::fromImage(image);
    QPixmapCache::insert(key, result);
    return result;
}

QIcon icon(const QString& symbol, int size, const QColor& color) {
    QIcon result;
    for (const qreal scale : {1.0, 2.0})
        result.addPixmap(pixmap(symbol, size, color, scale));
    return result;
}

} // namespace Symbols
