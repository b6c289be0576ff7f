#include "Views/Widgets/StatusDot.h"

#include "Support/Desktop/Style.h"

#include <QPainter>

StatusDot::StatusDot(Reachability reachability, QWidget* parent)
    : QWidget(parent)
    , m_reachability(reachability) {
    setFixedSize(diameter, diameter);
}

void StatusDot::setReachability(Reachability reachability) {
    if (reachability == m_reachability)
        return;
    m_reachability = reachability;
    update();
}

void StatusDot::setScale(double scale) {
    m_scale = scale;
    update();
}

QColor StatusDot::color(Reachability reachability, const QPalette& palette) {
    switch (reachability) {
    case Reachability::reachable:
        return Style::color(Style::Tone::green, palette);
    case Reachability::unreachable:
        return Style::color(Style::Tone::red, palette);
    case Reachability::unknown:
    case Reachability::checking:
        break;
    }
    return Style::grey(palette);
}

void StatusDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color(m_reachability, palette()));
    const double size = diameter * m_scale;
    painter.drawEllipse(QRectF((width() - size) / 2, (height() - size) / 2, size, size));
}
