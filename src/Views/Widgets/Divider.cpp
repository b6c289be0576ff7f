#include "Views/Widgets/Divider.h"

#include "Support/Desktop/Style.h"

#include <QPainter>

Divider::Divider(QWidget* parent)
    : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(),
                     Style::withOpacity(Style::color(Style::Tone::primary, palette()), 0.12));
}
