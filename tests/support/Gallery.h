#pragma once

#include <QImage>
#include <QPalette>
#include <QString>

class QWidget;

// Renders screens to PNG so a person can look at every state in a light and a dark theme:
// $BOBBINLARK_TEST_OUTPUT/gallery/NAME-light.png and NAME-dark.png.
namespace Gallery {

QPalette lightPalette();
QPalette darkPalette();

// The gallery folder, created when missing.
QString directory();

struct Shots {
    QImage light;
    QImage dark;
    // Both files were written.
    bool saved = false;
};

// Renders `widget` in each palette, saves both, and leaves the widget in the palette it had.
Shots render(QWidget& widget, const QString& name);

} // namespace Gallery
