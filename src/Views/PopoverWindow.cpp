#include "Views/PopoverWindow.h"

#include "Support/Desktop/Style.h"
#include "Support/Desktop/X11Display.h"
#include "Support/Desktop/X11KeyboardHold.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRegion>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

#if QT_CONFIG(xcb)
#include <xcb/shape.h>
#endif

namespace {

// The border, drawn over the content (so the corners of a rounded panel come out smooth over
// its clipped content); it takes no input.
class Edge : public QWidget {
public:
    explicit Edge(PopoverWindow* window)
        : QWidget(window)
        , m_window(window) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(PopoverWindow::edgeColor(palette()), 1));
        painter.setBrush(Qt::NoBrush);
        const double radius = m_window->isFloating() && m_window->isComposited()
                                  ? PopoverWindow::cornerRadius - 0.5
                                  : 0;
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }

private:
    PopoverWindow* m_window;
};

QPainterPath panelShape(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, PopoverWindow::cornerRadius, PopoverWindow::cornerRadius);
    return path;
}

} // namespace

PopoverWindow::PopoverWindow(QWidget* content, QWidget* parent)
    : QWidget(parent)
    , m_content(content) {
    setWindowTitle(QStringLiteral("Bobbinlark"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    m_edge = new Edge(this);
    m_keyboard = new X11KeyboardHold(this);
    applyFlags();
    applyEdge();
}

void PopoverWindow::setFloating(bool floating) {
    if (isVisible() || floating == m_isFloating)
        return;
    m_isFloating = floating;
    applyFlags();
    applyEdge();
}

void PopoverWindow::setComposited(bool composited) {
    // A window's visual, with or without transparency, is chosen when it is first made.
    if (testAttribute(Qt::WA_WState_Created) || composited == m_isComposited)
        return;
    m_isComposited = composited;
    setAttribute(Qt::WA_TranslucentBackground, composited);
    applyEdge();
}

QMargins PopoverWindow::panelMargins() const {
    if (!m_isFloating || !m_isComposited)
        return {};
    // The shadow falls a little downwards, as light from above casts it.
    return {shadowMargin, shadowMargin - 4, shadowMargin, shadowMargin + 4};
}

QRegion PopoverWindow::inputRegion() const {
    return QRect(QPoint(), size()).marginsRemoved(panelMargins());
}

void PopoverWindow::applyInputRegion() {
    QWindow* window = windowHandle();
    if (!window || !testAttribute(Qt::WA_WState_Created))
        return;
    const bool shadowed = !panelMargins().isNull();
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // A Wayland window's mask is its input region; what it draws stays as it is.
        window->setMask(shadowed ? inputRegion() : QRegion());
        return;
    }
#if QT_CONFIG(xcb)
    // Qt's own mask on X11 would also cut the shadow away: only the input shape is set here.
    xcb_connection_t* connection = X11Display::connection();
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(winId());
    if (!shadowed) {
        xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, id, 0, 0, XCB_NONE);
    } else {
        const QRect panel = inputRegion().boundingRect();
        const double ratio = devicePixelRatio();
        const xcb_rectangle_t rectangle{static_cast<int16_t>(qRound(panel.x() * ratio)),
                                        static_cast<int16_t>(qRound(panel.y() * ratio)),
                                        static_cast<uint16_t>(qRound(panel.width() * ratio)),
                                        static_cast<uint16_t>(qRound(panel.height() * ratio))};
        xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                             XCB_CLIP_ORDERING_UNSORTED, id, 0, 0, 1, &rectangle);
    }
    xcb_flush(connection);
#endif
}

void PopoverWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    applyInputRegion();
    // Placed by itself under XWayland, where the compositor may keep the keyboard from it.
    if (m_isFloating && placesItselfUnmanaged())
        m_keyboard->start();
}

void PopoverWindow::hideEvent(QHideEvent* event) {
    m_keyboard->stop();
    QWidget::hideEvent(event);
}

void PopoverWindow::mousePressEvent(QMouseEvent* event) {
    // A press on the header that none of its buttons took: the desktop moves the window, as from
    // the title bar it does not draw.
    QWindow* window = windowHandle();
    if (!m_isFloating && window && event->button() == Qt::LeftButton &&
        event->position().y() < headerHeight && window->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PopoverWindow::applyFlags() {
    // A tool window, not a popup: popups close on any click outside them. Where it must place
    // itself unmanaged, it is an ordinary window: compositors hand no keyboard to an unmanaged
    // utility window.
    Qt::WindowFlags floating = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (placesItselfUnmanaged())
        floating = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint;
    // An ordinary window: not kept above others, not a utility window, transient for nothing,
    // so the desktop lists it, lets it be moved and stacks it like any other. It brings no
    // title bar of the desktop's: the panel's header is its one title, with its close button.
    setWindowFlags(m_isFloating ? floating : Qt::Window | Qt::FramelessWindowHint);
}

bool PopoverWindow::placesItselfUnmanaged() {
    return runsUnderXWayland() && X11Display::windowManagerName() != "KWin";
}

bool PopoverWindow::runsUnderXWayland() {
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
            qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland"));
}

void PopoverWindow::applyEdge() {
    const QMargins margins = panelMargins();
    layout()->setContentsMargins(margins);
    setFixedSize(contentSize.grownBy(margins));
    const QRect panel = QRect(QPoint(), size()).marginsRemoved(margins);
    m_edge->setGeometry(panel);
    // Frameless either way: the edge is the panel's own.
    m_edge->setVisible(true);
    m_edge->raise();
    if (m_isFloating && m_isComposited)
        m_content->setMask(QRegion(
            panelShape(QRectF(QPointF(), QSizeF(contentSize))).toFillPolygon().toPolygon()));
    else
        m_content->clearMask();
    applyInputRegion();
    update();
}

void PopoverWindow::resizeEvent(QResizeEvent* event) {
    m_edge->setGeometry(QRect(QPoint(), size()).marginsRemoved(panelMargins()));
    m_edge->raise();
    QWidget::resizeEvent(event);
}

void PopoverWindow::paintEvent(QPaintEvent*) {
    if (!m_isFloating || !m_isComposited)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF panel = QRectF(rect()).marginsRemoved(panelMargins().toMarginsF());
    // A soft shadow: rounded rectangles growing outwards, each adding a little darkness, so it
    // fades to nothing at the window's edge; centred a little below the panel.
    const QColor shade(0, 0, 0, Style::isDark(palette()) ? 10 : 6);
    for (int spread = shadowMargin; spread > 0; --spread) {
        const QRectF ring = panel.adjusted(-spread, -spread + 4, spread, spread + 4);
        painter.fillPath(panelShape(ring), shade);
    }
    // The panel's own ground, smooth at the corners where the content's clip is not.
    painter.fillPath(panelShape(panel), palette().color(QPalette::Window));
}

QColor PopoverWindow::edgeColor(const QPalette& palette) {
    // Between a luminance of 0.1 and 0.3 a grey keeps 3:1 against white and black alike; the
    // window's own text colour at the right strength keeps the theme's tint.
    QColor edge = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    for (double amount = 0.5; amount <= 1.0; amount += 0.02) {
        const QColor mixed =
            QColor::fromRgbF(float(edge.redF() * amount + window.redF() * (1 - amount)),
                             float(edge.greenF() * amount + window.greenF() * (1 - amount)),
                             float(edge.blueF() * amount + window.blueF() * (1 - amount)));
        if (Style::contrast(mixed, Qt::white) >= 3 && Style::contrast(mixed, Qt::black) >= 3 &&
            Style::contrast(mixed, window) >= 3)
            return mixed;
    }
    return QColor(0x77, 0x77, 0x77);
}

bool PopoverWindow::compositorRuns() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return true;
    // On X11 a compositing manager owns the selection _NET_WM_CM_S<screen>.
    return X11Display::hasSelectionOwner(QByteArrayLiteral("_NET_WM_CM_S0"));
}

QPoint PopoverWindow::clickOnScreen(const QPoint& reported, const QRect& screen) {
    // As deep as a bar and as wide as its first icon.
    constexpr int corner = 32;
    const bool inLeftCorner =
        reported.x() - screen.left() < corner &&
        (reported.y() - screen.top() < corner || screen.bottom() - reported.y() < corner);
    if (!inLeftCorner || !screen.contains(reported))
        return reported;
    return {screen.right() - (reported.x() - screen.left()), reported.y()};
}

QRect PopoverWindow::iconAround(const QPoint& click, const QRect& screen) {
    // Bars are at most this deep; a click further in is not on one.
    constexpr int deepestBar = 64;
    const int fromTop = click.y() - screen.top();
    const int fromBottom = screen.bottom() - click.y();
    const int fromLeft = click.x() - screen.left();
    const int fromRight = screen.right() - click.x();
    // Bars along the top or bottom are the common ones: a click in a corner is taken to be in
    // one of those.
    const int toTopOrBottom = std::min(fromTop, fromBottom);
    const int toSide = std::min(fromLeft, fromRight);
    if (std::min(toTopOrBottom, toSide) < 0)
        return {};
    if (toTopOrBottom < deepestBar / 2) {
        const int depth = 2 * toTopOrBottom + 1;
        const int top = toTopOrBottom == fromTop ? screen.top() : screen.bottom() + 1 - depth;
        return QRect(click.x() - toTopOrBottom, top, depth, depth).intersected(screen);
    }
    if (toSide < deepestBar / 2) {
        const int depth = 2 * toSide + 1;
        const int left = toSide == fromLeft ? screen.left() : screen.right() + 1 - depth;
        return QRect(left, click.y() - toSide, depth, depth).intersected(screen);
    }
    return {};
}

QPoint PopoverWindow::placement(const QSize& size, const QRect& iconGeometry, const QPoint& pointer,
                                const QRect& available) {
    const QRect anchor = iconGeometry.isValid() && !iconGeometry.isEmpty()
                             ? iconGeometry
                             : QRect(pointer, QSize(1, 1));
    int x = 0;
    int y = 0;
    // Beside an icon in a bar down the left or right edge, else under or over it.
    const int toSide =
        std::min(anchor.left() - available.left(), available.right() - anchor.right());
    const int toTopOrBottom =
        std::min(anchor.top() - available.top(), available.bottom() - anchor.bottom());
    if (toSide < toTopOrBottom) {
        const bool opensLeftwards = anchor.center().x() > available.center().x();
        x = opensLeftwards ? anchor.left() - gap - size.width() : anchor.right() + 1 + gap;
        y = anchor.center().y() - size.height() / 2;
    } else {
        const bool opensUpwards = anchor.center().y() > available.center().y();
        x = anchor.center().x() - size.width() / 2;
        y = opensUpwards ? anchor.top() - gap - size.height() : anchor.bottom() + 1 + gap;
    }
    // Inside the available area; a panel larger than the area keeps its top-left corner in it.
    x = std::max(available.left(), std::min(x, available.right() + 1 - size.width()));
    y = std::max(available.top(), std::min(y, available.bottom() + 1 - size.height()));
    return {x, y};
}
