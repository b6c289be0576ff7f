#include "Views/Widgets/ThinProgressBar.h"

#include "Support/Desktop/Style.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

void ThinProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect());
    const double radius = track.height() / 2;
    QPainterPath trackPath;
    trackPath.addRoundedRect(track, radius, radius);
    painter.fillPath(trackPath,
                     Style::withOpacity(Style::color(Style::Tone::primary, palette()), 0.12));
    const int span = maximum() - minimum();
    if (span <= 0 || value() <= minimum())
        return;
    const double done = double(value() - minimum()) / span;
    QPainterPath fill;
    fill.addRoundedRect(QRectF(track.x(), track.y(), std::max(track.height(), track.width() * done),
                               track.height()),
                        radius, radius);
    painter.fillPath(fill, Style::color(Style::Tone::accent, palette()));
}
