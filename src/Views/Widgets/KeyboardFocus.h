#pragma once

#include <QPalette>
#include <QRectF>

#include <optional>

class QKeyEvent;
class QPainter;

// Whether a painted control shows that it has the focus: after the keyboard moved the focus to
// it, and again when a menu or a window switch hands the focus back; never after a click. When
// the focused control goes away (a clicked "OK" that hides its message), Qt hands the focus on as
// if Tab had been pressed; the next control then shows the ring only if the one that went away
// did.
class KeyboardFocus {
public:
    // Call from focusInEvent with the event's reason.
    void focusIn(Qt::FocusReason reason);
    // Call from hideEvent with whether the control has the focus.
    void hiding(bool hasFocus) const;
    // The focus was handed over by the program; the ring shows if the control it came from
    // showed one.
    void setFromKeyboard(bool fromKeyboard) { m_fromKeyboard = fromKeyboard; }
    // Whether the ring shows now, given whether the widget has the focus.
    bool isVisible(bool hasFocus) const { return hasFocus && m_fromKeyboard; }

    // A ring in the accent colour along the inside of `rect` (rounded by `radius`), with a thin
    // line of the window colour inside it so it also shows on a control filled with the accent.
    // `color` replaces the accent where the ring lies on a fill of the accent.
    static void paintRing(QPainter& painter, const QRectF& rect, double radius,
                          const QPalette& palette, std::optional<QColor> color = std::nullopt);

    // Return and Enter: activate the control that has the focus.
    static bool isActivation(const QKeyEvent* event);
    // The context menu key and Shift+F10: open the focused control's menu.
    static bool isMenuRequest(const QKeyEvent* event);

    static constexpr double ringWidth = 2;

private:
    bool m_fromKeyboard = false;
};
