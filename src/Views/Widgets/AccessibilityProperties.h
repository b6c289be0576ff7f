#pragma once

// The properties through which a widget of the panel says how it reads: to assistive technology
// (through Accessibility's interfaces) and to the checks of contrast over rendered screens.
namespace Accessibility {

// A widget can say how it reads through these properties: its role (a QAccessible::Role as an
// int) and, for a choice, whether it is the one chosen (bool).
inline constexpr const char* roleProperty = "bobbinlarkAccessibleRole";
inline constexpr const char* checkedProperty = "bobbinlarkAccessibleChecked";
// A widget that draws its own text says in what colour (QColor), so that checks of contrast
// over rendered screens know what to measure.
inline constexpr const char* inkProperty = "bobbinlarkInk";
// A widget that draws a symbol says where (QRect, in its own coordinates), with its colour in
// inkProperty; one that drew a focus ring in its last paint says so (bool).
inline constexpr const char* symbolAreaProperty = "bobbinlarkSymbolArea";
inline constexpr const char* focusRingProperty = "bobbinlarkFocusRing";

} // namespace Accessibility
