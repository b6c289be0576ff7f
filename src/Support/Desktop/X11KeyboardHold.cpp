#include "Support/Desktop/X11KeyboardHold.h"

#include "Support/Desktop/X11Display.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

#if QT_CONFIG(xcb)
using X11Display::Reply;

xcb_window_t inputFocus(xcb_connection_t* connection) {
    const Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr),
        &std::free);
    return reply ? reply->focus : xcb_window_t(XCB_WINDOW_NONE);
}
#endif

// A window is mapped a moment after Qt shows it; a grab before that is refused.
constexpr int attemptInterval = 50;
constexpr int attemptsAllowed = 20;

} // namespace

X11KeyboardHold::X11KeyboardHold(QWidget* window)
    : QObject(window)
    , m_window(window) {}

X11KeyboardHold::~X11KeyboardHold() {
    if (m_listens && qApp)
        qApp->removeNativeEventFilter(this);
}

void X11KeyboardHold::start() {
    m_started = true;
    listen();
    take();
}

void X11KeyboardHold::listen() {
#if QT_CONFIG(xcb)
    // Only once a hold is wanted: most desktops never need one, and hear nothing of it.
    xcb_connection_t* connection = X11Display::connection();
    if (m_listens || !connection)
        return;
    m_listens = true;
    m_window->installEventFilter(this);
    // Told whenever the focus moves to another window, to give the keyboard back at once.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    X11Display::listen(connection, root, XCB_EVENT_MASK_FOCUS_CHANGE);
    qApp->installNativeEventFilter(this);
#endif
}

void X11KeyboardHold::stop() {
    m_started = false;
    release();
}

void X11KeyboardHold::take() {
    m_attempts = 0;
    tryToTake();
}

void X11KeyboardHold::tryToTake() {
#if QT_CONFIG(xcb)
    xcb_connection_t* connection = X11Display::connection();
    QWindow* window = m_window->windowHandle();
    if (!m_started || m_holds || !connection || !window || !m_window->isVisible())
        return;
    const xcb_window_t focus = inputFocus(connection);
    if (m_attempts == 0)
        m_focusBefore = focus;
    if (focus == static_cast<xcb_window_t>(m_window->winId()))
        return;
    // Another window took the focus while the panel was coming up: the keys are meant there.
    if (focus != m_focusBefore && focus != XCB_WINDOW_NONE && focus != XCB_INPUT_FOCUS_POINTER_ROOT)
        return;
    if (!window->setKeyboardGrabEnabled(true)) {
        if (++m_attempts < attemptsAllowed)
            QTimer::singleShot(attemptInterval, this, &X11KeyboardHold::tryToTake);
        return;
    }
    m_holds = true;
    // The keys come to the window now; its shortcuts answer only in the active window.
    QApplication::setActiveWindow(m_window);
#endif
}

void X11KeyboardHold::release() {
    if (!m_holds)
        return;
    m_holds = false;
    if (QWindow* window = m_window->windowHandle())
        window->setKeyboardGrabEnabled(false);
}

bool X11KeyboardHold::eventFilter(QObject* watched, QEvent* event) {
    // The window manager sends back the focus Qt asks for when the window shows; while the keys
    // come by the grab, the window stays the active one.
    if (watched == m_window && event->type() == QEvent::WindowDeactivate && m_holds)
        QTimer::singleShot(0, this, [this] {
            if (m_holds)
                QApplication::setActiveWindow(m_window);
        });
    return QObject::eventFilter(watched, event);
}

bool X11KeyboardHold::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#if QT_CONFIG(xcb)
    if (eventType != "xcb_generic_event_t" || !m_started ||
        !m_window->testAttribute(Qt::WA_WState_Created))
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto ours = static_cast<xcb_window_t>(m_window->winId());
    switch (event->response_type & 0x7f) {
    case XCB_BUTTON_PRESS:
        // A click on the window: the user means to type there again.
        if (reinterpret_cast<const xcb_button_press_event_t*>(event)->event == ours && !m_holds)
            QTimer::singleShot(0, this, &X11KeyboardHold::take);
        break;
    case XCB_FOCUS_IN: {
        // The grab's own focus events say nothing; any other move of the focus is the user's.
        const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(event);
        if (!m_holds || focus->mode == XCB_NOTIFY_MODE_GRAB ||
            focus->mode == XCB_NOTIFY_MODE_UNGRAB)
            break;
        xcb_connection_t* connection = X11Display::connection();
        const xcb_window_t focused = connection ? inputFocus(connection) : ours;
        if (focused != ours && focused != XCB_WINDOW_NONE &&
            focused != XCB_INPUT_FOCUS_POINTER_ROOT)
            QTimer::singleShot(0, this, &X11KeyboardHold::release);
        break;
    }
    default:
        break;
    }
#else
    Q_UNUSED(eventType)
    Q_UNUSED(message)
#endif
    return false;
}
