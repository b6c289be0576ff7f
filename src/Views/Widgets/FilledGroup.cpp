#include "Views/Widgets/FilledGroup.h"

#include "Support/Desktop/Style.h"

#include <QPainter>
#include <QPainterPath>

FilledGroup::FilledGroup(QWidget* parent)
    : QWidget(parent) {}

void FilledGroup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape,
                     Style::withOpacity(Style::color(Style::Tone::quaternary, palette()), 0.5));
}
