#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// The panel's text styles and colours, so every screen reads the same in light and dark themes.
// Sizes follow the application font; colours come from the palette: the hierarchical tones are
// the text colour at decreasing opacity, the signal colours are tuned for light or dark windows.
namespace Style {

enum class TextStyle { body, callout, caption, headline, title3 };

// Where a colour stands: the four hierarchical levels of the text colour, the desktop's accent,
// and the three signal colours.
enum class Tone { primary, secondary, tertiary, quaternary, accent, green, red, orange };

// Opacity of the text colour for each hierarchical level. Secondary and tertiary are for text,
// and stay at least 4.5:1 against the window and the faint fills on it in light and dark themes;
// their order of emphasis comes as much from size and weight. Quaternary is for marks only.
inline constexpr double secondaryOpacity = 0.76;
inline constexpr double tertiaryOpacity = 0.68;
inline constexpr double quaternaryOpacity = 0.2;
// Text of a disabled control: plainly fainter than enabled text, still 3:1 to be read.
inline constexpr double disabledOpacity = 0.52;

// The WCAG contrast ratio of two opaque colours (1 to 21).
double contrast(const QColor& a, const QColor& b);
// `fill` darkened as little as needed for white text on it to reach 4.5:1.
QColor fillUnderWhiteText(QColor fill);
// The edge of a control (a bordered button, a text field): the text colour mixed into the window
// until it stands 4.2:1 from it, so that it keeps 3:1 on the darker or lighter fills of the
// panel's groups and rows too.
QColor controlEdge(const QPalette& palette);

// The style's font derived from `base` (default: the application font).
QFont font(TextStyle style);
QFont font(TextStyle style, const QFont& base);
// The same font at another weight.
QFont withWeight(QFont font, QFont::Weight weight);
inline QFont medium(const QFont& font) {
    return withWeight(font, QFont::Medium);
}
inline QFont semibold(const QFont& font) {
    return withWeight(font, QFont::DemiBold);
}
inline QFont bold(const QFont& font) {
    return withWeight(font, QFont::Bold);
}
// The application's fixed-pitch font at the size of `style`.
QFont monospaced(TextStyle style);

// The pixel size at which a symbol set in `style` text is drawn (SF-style symbols match the
// text's cap height plus a little; a 16-pixel symbol goes with body text).
int symbolSize(TextStyle style);

// Whether the palette's window is dark.
bool isDark(const QPalette& palette);
// The colour of `tone` on `palette`.
QColor color(Tone tone, const QPalette& palette);
// `color` with its alpha multiplied by `opacity`.
QColor withOpacity(QColor color, double opacity);
// A grey for neutral marks (the reachability dot while unknown).
QColor grey(const QPalette& palette);

} // namespace Style
