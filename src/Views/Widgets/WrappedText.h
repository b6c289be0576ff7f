#pragma once

#include "Support/Desktop/Style.h"
#include "Views/Widgets/InheritedTone.h"

#include <QLabel>

// Selectable text wrapped onto as many lines as it needs, in a tone that follows the theme.
// Unlike a label that breaks its text into lines itself, a copy of it is the text as it is.
class WrappedText : public QLabel {
public:
    WrappedText(const QString& text, const QFont& font, Style::Tone tone, QWidget* parent);

    // Layouts ask for the height at the width they give; the label's own minimum is the height
    // at some narrow width and would leave space under the text.
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    InheritedTone m_tone;
};
