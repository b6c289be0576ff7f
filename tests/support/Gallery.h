#pragma once

#include <QImage>
#include <QPalette>
#include <QString>

class QWidget;

// Renders screens to PNG so a person can look at every state in a light and a dark theme:
// $BOBBINLARK_TEST_OUTPUT/gallery/NAME-light.png and NAME-dark.png. With a larger application
// font than the platform's, the files are NAME-large-light.png and NAME-large-dark.png; setting
// BOBBINLARK_GALLERY_FONT_SCALE (1.5, say) makes a test program start with its font that much
// larger, so the whole gallery can be looked at again with large text.
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

// The application font's size against the platform's default (1 unless made larger).
double fontScale();
// Sets the application font to `scale` times the platform's default; widgets made afterwards
// take it.
void setFontScale(double scale);

// The language screens made from now on speak: "en", one of Translations::languages(), or
// `pseudoLanguage`, where every translated text shows between ⟦ and ⟧ so that a text that does
// not go through translation stands out. Numbers and dates follow the language. Pictures of a
// language other than English are named NAME-LANGUAGE-... .
inline constexpr const char* pseudoLanguage = "pseudo";
void setLanguage(const QString& language);
QString language();
// `text` without its marked parts, innermost first: what the pseudo-language left untranslated.
QString unmarked(QString text);

// Renders `widget` in each palette, saves both, and leaves the widget in the palette it had.
Shots render(QWidget& widget, const QString& name);

} // namespace Gallery
