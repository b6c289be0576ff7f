#pragma once

#include "Views/Widgets/KeyboardFocus.h"

#include <QAbstractButton>

// A button with no style chrome, which its subclass (or its parent) paints: a Tab stop that
// Return and Space press, and that knows whether its focus ring shows.
class PaintedButton : public QAbstractButton {
public:
    explicit PaintedButton(QWidget* parent = nullptr);

    bool isFocusRingVisible() const { return m_focus.isVisible(hasFocus()); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    // Repaints what shows the focus ring when the focus comes or goes: the button itself unless
    // a subclass says otherwise.
    virtual void focusLookChanged() { update(); }

private:
    KeyboardFocus m_focus;
};
