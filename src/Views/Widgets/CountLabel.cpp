#include "Views/Widgets/CountLabel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

QSize CountLabel::sizeHint() const {
    return {tabularWidth(), StyledLabel::sizeHint().height()};
}

void CountLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(textColor());
    const QFontMetricsF metrics(font());
    const double cell = digitCell(metrics);
    double x = (width() - tabularWidth()) / 2.0;
    for (const QChar c : fullText()) {
        const double advance = c.isDigit() ? cell : metrics.horizontalAdvance(c);
        painter.drawText(QRectF(x, 0, advance, height()), Qt::AlignCenter, QString(c));
        x += advance;
    }
}

double CountLabel::digitCell(const QFontMetricsF& metrics) {
    double widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(digit)));
    return widest;
}

int CountLabel::tabularWidth() const {
    const QFontMetricsF metrics(font());
    const double cell = digitCell(metrics);
    double width = 0;
    for (const QChar c : fullText())
        width += c.isDigit() ? cell : metrics.horizontalAdvance(c);
    return int(std::ceil(width));
}
