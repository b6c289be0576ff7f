#include "Views/Widgets/PaintedButton.h"

#include "Views/Widgets/PlainToolTips.h"

#include <QKeyEvent>

PaintedButton::PaintedButton(QWidget* parent)
    : QAbstractButton(parent) {
    PlainToolTips::install();
    setFocusPolicy(Qt::TabFocus);
}

void PaintedButton::keyPressEvent(QKeyEvent* event) {
    if (KeyboardFocus::isActivation(event) && !event->isAutoRepeat()) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PaintedButton::focusInEvent(QFocusEvent* event) {
    m_focus.focusIn(event->reason());
    focusLookChanged();
    QAbstractButton::focusInEvent(event);
}

void PaintedButton::focusOutEvent(QFocusEvent* event) {
    focusLookChanged();
    QAbstractButton::focusOutEvent(event);
}

void PaintedButton::hideEvent(QHideEvent* event) {
    m_focus.hiding(hasFocus());
    QAbstractButton::hideEvent(event);
}
