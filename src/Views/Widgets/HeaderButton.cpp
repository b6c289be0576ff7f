#include "Views/Widgets/HeaderButton.h"

#include "Support/Desktop/Symbols.h"
#include "Views/Widgets/AccessibilityProperties.h"
#include "Views/Widgets/Spinner.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

HeaderButton::HeaderButton(const QString& symbol, QWidget* parent)
    : PaintedButton(parent)
    , m_symbol(symbol) {
    setFixedSize(side, side);
    setAttribute(Qt::WA_Hover);
}

void HeaderButton::setSymbol(const QString& symbol) {
    m_symbol = symbol;
    update();
}

void HeaderButton::setSymbolSize(int size) {
    m_symbolSize = size;
    update();
}

void HeaderButton::setSymbolTone(Style::Tone tone) {
    m_tone = tone;
    update();
}

void HeaderButton::setBusy(bool busy) {
    if (busy == isBusy())
        return;
    if (busy) {
        m_spinner = new Spinner(this);
        m_spinner->setTone(Style::Tone::secondary);
        m_spinner->move((side - m_spinner->width()) / 2, (side - m_spinner->height()) / 2);
        m_spinner->show();
    } else {
        delete m_spinner;
        m_spinner = nullptr;
    }
    update();
}

bool HeaderButton::isBusy() const {
    return m_spinner != nullptr;
}

void HeaderButton::setMenu(QMenu* menu) {
    m_menuSource = nullptr;
    m_menu = menu;
    if (m_menu) {
        connect(m_menu, &QMenu::aboutToHide, this, [this] {
            setDown(false);
            update();
        });
    }
}

void HeaderButton::setMenu(std::function<QMenu*()> source, Qt::AlignmentFlag edge) {
    m_menu = nullptr;
    m_menuSource = std::move(source);
    m_menuEdge = edge;
}

QMenu* HeaderButton::ensureMenu() {
    if (!m_menu && m_menuSource) {
        const std::function<QMenu*()> source = std::move(m_menuSource);
        setMenu(source());
    }
    return m_menu;
}

void HeaderButton::showMenu() {
    if (!isEnabled())
        return;
    QMenu* menu = ensureMenu();
    if (!menu)
        return;
    setDown(true);
    QPoint below(0, height());
    if (m_menuEdge == Qt::AlignRight)
        below.rx() = width() - menu->sizeHint().width();
    menu->popup(mapToGlobal(below));
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
    if (const double opacity = highlightOpacity(); opacity > 0) {
        QPainterPath square;
        square.addRoundedRect(QRectF(rect()), 6, 6);
        painter.fillPath(
            square, Style::withOpacity(Style::color(Style::Tone::primary, palette()), opacity));
    }
    if (isFocusRingVisible())
        KeyboardFocus::paintRing(painter, QRectF(rect()), 6, palette());
    if (isBusy())
        return;
    const QColor ink = Style::color(currentTone(), palette());
    const QPixmap symbol = Symbols::pixmap(m_symbol, m_symbolSize, ink, devicePixelRatioF());
    const QPointF at((width() - m_symbolSize) / 2.0, (height() - m_symbolSize) / 2.0);
    painter.drawPixmap(at, symbol);
    setProperty(Accessibility::inkProperty, ink);
    setProperty(Accessibility::symbolAreaProperty,
                QRect(at.toPoint(), QSize(m_symbolSize, m_symbolSize)));
}

void HeaderButton::enterEvent(QEnterEvent* event) {
    m_isHovering = true;
    update();
    PaintedButton::enterEvent(event);
}

void HeaderButton::leaveEvent(QEvent* event) {
    m_isHovering = false;
    update();
    PaintedButton::leaveEvent(event);
}

void HeaderButton::mousePressEvent(QMouseEvent* event) {
    if (hasMenu() && event->button() == Qt::LeftButton && isEnabled()) {
        showMenu();
        event->accept();
        return;
    }
    PaintedButton::mousePressEvent(event);
}

void HeaderButton::keyPressEvent(QKeyEvent* event) {
    const bool press = KeyboardFocus::isActivation(event) ||
                       (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier);
    if (hasMenu() && (press || KeyboardFocus::isMenuRequest(event) ||
                      (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier))) {
        showMenu();
        event->accept();
        return;
    }
    PaintedButton::keyPressEvent(event);
}

void HeaderButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    PaintedButton::changeEvent(event);
}

CloseButton::CloseButton(QWidget* parent)
    : HeaderButton(QStringLiteral("xmark"), parent) {
    setToolTip(tr("Close"));
    setAccessibleName(tr("Close"));
    setShortcut(QKeySequence(Qt::Key_Escape));
}
