#include "Views/Widgets/SymbolView.h"

#include "Views/Widgets/Accessibility.h"

#include "Support/Desktop/Symbols.h"

#include <QPainter>

SymbolView::SymbolView(const QString& symbol, int size, Style::Tone tone, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_size(size)
    , m_frameWidth(size)
    , m_tone(tone) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

void SymbolView::setSymbol(const QString& symbol) {
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

void SymbolView::setTone(Style::Tone tone) {
    if (tone == m_tone)
        return;
    m_tone = tone;
    update();
}

void SymbolView::setFrameWidth(int width) {
    m_frameWidth = std::max(width, m_size);
    setFixedSize(sizeHint());
}

void SymbolView::setOpacity(double opacity) {
    if (opacity == m_opacity)
        return;
    m_opacity = opacity;
    update();
}

QSize SymbolView::sizeHint() const {
    return {m_frameWidth, m_size};
}

void SymbolView::paintEvent(QPaintEvent*) {
    if (m_opacity <= 0)
        return;
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    const QColor ink = Style::color(m_tone, palette());
    const QPixmap pixmap = Symbols::pixmap(m_symbol, m_size, ink, devicePixelRatioF());
    const QPointF at((width() - m_size) / 2.0, (height() - m_size) / 2.0);
    painter.drawPixmap(at, pixmap);
    setProperty(Accessibility::inkProperty, Style::withOpacity(ink, ink.alphaF() * m_opacity));
    setProperty(Accessibility::symbolAreaProperty, QRect(at.toPoint(), QSize(m_size, m_size)));
}
