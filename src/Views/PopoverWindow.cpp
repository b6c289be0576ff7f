#include "Views/PopoverWindow.h"

#include <QVBoxLayout>

#include <algorithm>

PopoverWindow::PopoverWindow(QWidget* content, QWidget* parent)
    : QWidget(parent)
    , m_content(content) {
    setWindowTitle(QStringLiteral("Bobbinlark"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    setFixedSize(contentSize);
    applyFlags();
}

void PopoverWindow::setFloating(bool floating) {
    if (isVisible() || floating == m_isFloating)
        return;
    m_isFloating = floating;
    applyFlags();
}

void PopoverWindow::applyFlags() {
    // A tool window, not a popup: popups close on any click outside them.
    setWindowFlags(m_isFloating ? Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                : Qt::Window);
}

QPoint PopoverWindow::placement(const QSize& size, const QRect& iconGeometry, const QPoint& pointer,
                                const QRect& available) {
    const QRect anchor = iconGeometry.isValid() && !iconGeometry.isEmpty()
                             ? iconGeometry
                             : QRect(pointer, QSize(1, 1));
    const bool opensUpwards = anchor.center().y() > available.center().y();
    int x = anchor.center().x() - size.width() / 2;
    int y = opensUpwards ? anchor.top() - gap - size.height() : anchor.bottom() + 1 + gap;
    // Inside the available area; a panel larger than the area keeps its top-left corner in it.
    x = std::max(available.left(), std::min(x, available.right() + 1 - size.width()));
    y = std::max(available.top(), std::min(y, available.bottom() + 1 - size.height()));
    return {x, y};
}
