#include "Views/HeaderButton.h"

#include "AppDelegate.h"
#include "Support/Symbols.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr double tertiaryOpacity = 0.26;
}

HeaderButton::HeaderButton(const QString& symbol, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol) {
    setFixedSize(28, 28);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

double HeaderButton::highlightOpacity() const {
    if (isDown())
        return 0.16;
    if (m_isHovering && isEnabled())
        return 0.08;
    return 0;
}

void HeaderButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    if (const double opacity = highlightOpacity(); opacity > 0) {
        QColor fill = primary;
        fill.setAlphaF(static_cast<float>(opacity));
        QPainterPath square;
        square.addRoundedRect(QRectF(rect()), 6, 6);
        painter.fillPath(square, fill);
    }
    QColor symbolColor = primary;
    if (!isEnabled())
        symbolColor.setAlphaF(static_cast<float>(tertiaryOpacity));
    const QImage symbol = Symbols::drawn(m_symbol, 16, devicePixelRatioF(), symbolColor);
    painter.drawImage(QPointF((width() - 16) / 2.0, (height() - 16) / 2.0), symbol);
}

void HeaderButton::enterEvent(QEnterEvent* event) {
    m_isHovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void HeaderButton::leaveEvent(QEvent* event) {
    m_isHovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

CloseButton::CloseButton(QWidget* parent)
    : HeaderButton(QStringLiteral("xmark"), parent) {
    setToolTip(QStringLiteral("Close"));
    setShortcut(QKeySequence(Qt::Key_Escape));
    setAccessibleName(QStringLiteral("Close"));
    connect(this, &QAbstractButton::clicked, this, [] {
        if (AppDelegate* delegate = AppDelegate::shared())
            delegate->closePopover();
    });
}
