#include "Views/Widgets/ControlButton.h"

#include "Support/Desktop/Style.h"
#include "Support/Desktop/Symbols.h"
#include "Views/Widgets/Accessibility.h"
#include "Views/Widgets/PlainToolTips.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int smallHeight = 22;
constexpr int regularHeight = 28;
constexpr int symbolGap = 5;
constexpr int tightPadding = 6;

} // namespace

ControlButton::ControlButton(const QString& text, Kind kind, Size size, QWidget* parent)
    : QPushButton(text, parent)
    , m_kind(kind)
    , m_size(size) {
    PlainToolTips::install();
    setFont(Style::withWeight(
        Style::font(size == Size::small ? Style::TextStyle::callout : Style::TextStyle::body),
        m_kind == Kind::prominent ? QFont::DemiBold : QFont::Medium));
    setAttribute(Qt::WA_Hover);
    // Its natural width, or less in a row too tight for it (large text): the symbol gives way,
    // then the padding, and the text shortens only when the layout cannot give even that.
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void ControlButton::setSymbol(const QString& symbol) {
    m_symbol = symbol;
    updateGeometry();
    update();
}

int ControlButton::symbolSize() const {
    return m_size == Size::small ? 12 : 14;
}

int ControlButton::padding() const {
    return m_size == Size::small ? 10 : 12;
}

bool ControlButton::showsSymbol() const {
    // Large text in a tight row gets less than it needs: the symbol gives way first.
    return !m_symbol.isEmpty() &&
           fontMetrics().horizontalAdvance(text()) + symbolSize() + symbolGap + 2 * padding() <=
               width();
}

QString ControlButton::shownText() const {
    // Squeezed, the text may come closer to the edges than it would stand by choice.
    const int margins = showsSymbol() ? 2 * padding() : 2 * tightPadding;
    const int room = width() - margins - (showsSymbol() ? symbolSize() + symbolGap : 0);
    if (fontMetrics().horizontalAdvance(text()) <= room)
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, room));
}

QSize ControlButton::minimumSizeHint() const {
    const int width = fontMetrics().horizontalAdvance(text()) + 2 * tightPadding;
    return {std::min(width, sizeHint().width()), sizeHint().height()};
}

QSize ControlButton::sizeHint() const {
    int width = fontMetrics().horizontalAdvance(text()) + 2 * padding();
    if (!m_symbol.isEmpty())
        width += symbolSize() + symbolGap;
    return {std::max(width, m_size == Size::small ? 44 : 64),
            m_size == Size::small ? smallHeight : regularHeight};
}

void ControlButton::enterEvent(QEnterEvent* event) {
    m_isHovering = true;
    update();
    QPushButton::enterEvent(event);
}

void ControlButton::leaveEvent(QEvent* event) {
    m_isHovering = false;
    update();
    QPushButton::leaveEvent(event);
}

void ControlButton::focusInEvent(QFocusEvent* event) {
    m_focus.focusIn(event->reason());
    QPushButton::focusInEvent(event);
}

void ControlButton::hideEvent(QHideEvent* event) {
    m_focus.hiding(hasFocus());
    QPushButton::hideEvent(event);
}

void ControlButton::keyPressEvent(QKeyEvent* event) {
    // Outside dialogs a push button ignores Return; the panel's buttons take it.
    if (KeyboardFocus::isActivation(event) && !event->isAutoRepeat()) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void ControlButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const bool enabled = isEnabled();
    const double emphasis = !enabled ? 0 : isDown() ? 2 : m_isHovering ? 1 : 0;

    QColor fill;
    QColor ink;
    // A disabled button of either kind is a faint fill with faint text: lower contrast than any
    // enabled button, still readable. A filled one is deep enough for its white text.
    const bool filled = m_kind == Kind::prominent && enabled;
    if (filled) {
        fill = Style::fillUnderWhiteText(Style::color(Style::Tone::accent, colors));
        if (emphasis > 0)
            fill = fill.darker(100 + int(8 * emphasis));
        ink = Qt::white;
    } else {
        fill =
            Style::withOpacity(Style::color(Style::Tone::primary, colors), 0.08 + 0.05 * emphasis);
        // Faded from the enabled text colour, not from a theme's disabled one, which may be
        // faded already.
        ink = Style::withOpacity(colors.color(QPalette::Active, QPalette::WindowText),
                                 enabled ? 1.0 : Style::disabledOpacity);
    }
    setProperty(Accessibility::inkProperty, ink);

    QPainterPath shape;
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    shape.addRoundedRect(frame, 6, 6);
    painter.fillPath(shape, fill);
    // A bordered button's edge is what shows it is a button: 3:1 against the panel. Disabled,
    // it fades with its text.
    if (!filled) {
        painter.setPen(
            QPen(enabled ? Style::controlEdge(colors)
                         : Style::withOpacity(Style::color(Style::Tone::primary, colors), 0.12),
                 1));
        painter.drawPath(shape);
    }
    // On a filled button a ring of the accent would vanish into the fill: it takes the text
    // colour of the window instead.
    if (isFocusRingVisible())
        KeyboardFocus::paintRing(painter, QRectF(rect()), 6, colors,
                                 filled ? std::optional(colors.color(QPalette::WindowText))
                                        : std::nullopt);

    // The symbol and the text, centred together.
    const QString shown = shownText();
    const int textWidth = fontMetrics().horizontalAdvance(shown);
    const int symbol = showsSymbol() ? symbolSize() + symbolGap : 0;
    int x = std::max(0, (width() - textWidth - symbol) / 2);
    if (symbol > 0) {
        painter.drawPixmap(QPoint(x, (height() - symbolSize()) / 2),
                           Symbols::pixmap(m_symbol, symbolSize(), ink, devicePixelRatioF()));
        x += symbol;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRect(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, shown);
}
