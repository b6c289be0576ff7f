#include "support/Gallery.h"

#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QWidget>

namespace Gallery {

namespace {

QPalette themed(const QColor& window, const QColor& text, const QColor& base, const QColor& button,
                const QColor& mid, const QColor& highlight) {
    QPalette palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, window);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Mid, mid);
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::ToolTipBase, base);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, mid);
        palette.setColor(group, QPalette::Light, button.lighter(130));
        palette.setColor(group, QPalette::Midlight, button.lighter(110));
        palette.setColor(group, QPalette::Dark, button.darker(150));
        palette.setColor(group, QPalette::Shadow, Qt::black);
    }
    QColor disabled = text;
    disabled.setAlphaF(0.4f);
    palette.setColor(QPalette::Disabled, QPalette::Window, window);
    palette.setColor(QPalette::Disabled, QPalette::Base, base);
    palette.setColor(QPalette::Disabled, QPalette::Button, button);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, mid);
    return palette;
}

double& defaultPointSize() {
    static double size = 0;
    return size;
}

} // namespace

double fontScale() {
    if (defaultPointSize() <= 0)
        return 1;
    return QApplication::font().pointSizeF() / defaultPointSize();
}

void setFontScale(double scale) {
    if (defaultPointSize() <= 0)
        defaultPointSize() = QApplication::font().pointSizeF();
    QFont font = QApplication::font();
    if (qFuzzyCompare(font.pointSizeF(), defaultPointSize() * scale))
        return;
    font.setPointSizeF(defaultPointSize() * scale);
    QApplication::setFont(font);
}

QPalette lightPalette() {
    return themed(QColor(0xf6, 0xf6, 0xf6), QColor(0x1d, 0x1d, 0x1f), Qt::white,
                  QColor(0xe8, 0xe8, 0xea), QColor(0xb8, 0xb8, 0xbc), QColor(0x35, 0x84, 0xe4));
}

QPalette darkPalette() {
    return themed(QColor(0x24, 0x24, 0x28), QColor(0xec, 0xec, 0xee), QColor(0x1c, 0x1c, 0x1f),
                  QColor(0x36, 0x36, 0x3b), QColor(0x5a, 0x5a, 0x60), QColor(0x35, 0x84, 0xe4));
}

QString directory() {
    QString root = qEnvironmentVariable("BOBBINLARK_TEST_OUTPUT");
    if (root.isEmpty())
        root = QDir::tempPath() + QStringLiteral("/bobbinlark-test-output");
    const QString dir = root + QStringLiteral("/gallery");
    QDir().mkpath(dir);
    return dir;
}

Shots render(QWidget& widget, const QString& name) {
    const QPalette original = widget.palette();
    const bool hadOwnPalette = widget.testAttribute(Qt::WA_SetPalette);
    Shots shots;
    const auto shoot = [&widget](const QPalette& palette) {
        widget.setPalette(palette);
        widget.setAutoFillBackground(true);
        // Layouts settle through posted events, as they would before the next paint on screen.
        for (int round = 0; round < 3; ++round)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (QLayout* layout = widget.layout())
            layout->activate();
        return widget.grab().toImage();
    };
    shots.light = shoot(lightPalette());
    shots.dark = shoot(darkPalette());
    const QString base = directory() + QLatin1Char('/') + name +
                         (fontScale() > 1.2 ? QStringLiteral("-large") : QString());
    shots.saved = shots.light.save(base + QStringLiteral("-light.png")) &&
                  shots.dark.save(base + QStringLiteral("-dark.png"));
    if (hadOwnPalette)
        widget.setPalette(original);
    else
        widget.setPalette(QPalette());
    return shots;
}

} // namespace Gallery

namespace {

// Runs as the application starts, before any test builds a widget: notes the platform's font
// size, and makes the font larger when the environment asks for it.
void applyFontScaleFromEnvironment() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    Gallery::setFontScale(1);
    const double scale = qEnvironmentVariable("BOBBINLARK_GALLERY_FONT_SCALE").toDouble();
    if (scale > 0)
        Gallery::setFontScale(scale);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(applyFontScaleFromEnvironment)
