#include "Views/Widgets/KeyboardFocus.h"

#include "Views/Widgets/Accessibility.h"

#include "Support/Desktop/Style.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace {

// Whether the control that is handing the focus on showed its ring. Qt moves the focus within
// the hiding itself, so what is left unclaimed is stale by the next turn of the event loop.
std::optional<bool> handedOn;

} // namespace

void KeyboardFocus::hiding(bool hasFocus) const {
    if (!hasFocus)
        return;
    handedOn = m_fromKeyboard;
    QTimer::singleShot(0, [] { handedOn.reset(); });
}

void KeyboardFocus::focusIn(Qt::FocusReason reason) {
    const std::optional<bool> handed = std::exchange(handedOn, std::nullopt);
    switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
        m_fromKeyboard = handed.value_or(true);
        break;
    case Qt::ShortcutFocusReason:
        m_fromKeyboard = true;
        break;
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
        // The focus comes back to where it was: so does the ring, or its absence.
        break;
    default:
        m_fromKeyboard = false;
        break;
    }
}

void KeyboardFocus::paintRing(QPainter& painter, const QRectF& rect, double radius,
                              const QPalette& palette, std::optional<QColor> color) {
    if (auto* widget = dynamic_cast<QWidget*>(painter.device()))
        widget->setProperty(Accessibility::focusRingProperty, true);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const double half = ringWidth / 2;
    painter.setPen(QPen(color.value_or(Style::color(Style::Tone::accent, palette)), ringWidth));
    painter.drawRoundedRect(rect.adjusted(half, half, -half, -half), std::max(0.0, radius - half),
                            std::max(0.0, radius - half));
    const double inner = ringWidth + 0.5;
    painter.setPen(QPen(Style::withOpacity(palette.color(QPalette::Window), 0.9), 1));
    painter.drawRoundedRect(rect.adjusted(inner, inner, -inner, -inner),
                            std::max(0.0, radius - inner), std::max(0.0, radius - inner));
    painter.restore();
}

bool KeyboardFocus::isActivation(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return modifiers == Qt::NoModifier &&
           (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter);
}

bool KeyboardFocus::isMenuRequest(const QKeyEvent* event) {
    return event->key() == Qt::Key_Menu ||
           (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
}
