#include "Views/Widgets/TextField.h"

#include "Support/Desktop/Style.h"
#include "Views/Widgets/KeyboardFocus.h"

#include <QPainter>

TextField::TextField(const QString& text, QWidget* parent)
    : QLineEdit(text, parent) {}

void TextField::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (!isEnabled())
        return;
    QPainter painter(this);
    // The style's focus frame is too faint on some fills: the panel's own ring stands in.
    if (hasFocus()) {
        KeyboardFocus::paintRing(painter, QRectF(rect()), 3, palette());
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Style::controlEdge(palette()), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
}
