#pragma once

#include "Support/Desktop/Style.h"

#include <QPalette>

class QWidget;

// A text colour that follows the theme: a tone of the palette a widget inherits, set as one
// colour role of the widget's own palette, with a clear background for the text.
class InheritedTone {
public:
    InheritedTone(Style::Tone tone, QPalette::ColorRole role)
        : m_tone(tone)
        , m_role(role) {}

    // Call when the widget is made, and again on each change of its palette or its parent.
    void applyTo(QWidget& widget);

private:
    Style::Tone m_tone;
    QPalette::ColorRole m_role;
    // Guards against the palette change that applying makes.
    bool m_applying = false;
};
