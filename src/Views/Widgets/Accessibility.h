#pragma once

#include "Views/Widgets/AccessibilityProperties.h"

// How the panel's painted widgets read to assistive technology (screen readers, and anything
// that walks the accessibility tree): the role Qt cannot tell from a widget that draws itself,
// the name and description it shows, and the actions it offers (press, open its menu).
namespace Accessibility {

// Registers the panel's widgets with Qt's accessibility; safe to call any number of times. The
// program does so at start, before it makes any widget.
void install();

} // namespace Accessibility
