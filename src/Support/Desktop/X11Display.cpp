#include "Support/Desktop/X11Display.h"

#include <QGuiApplication>

namespace X11Display {

#if QT_CONFIG(xcb)
xcb_connection_t* connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

void listen(xcb_connection_t* connection, xcb_window_t window, uint32_t events) {
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window),
                                        nullptr),
        &std::free);
    if (!attributes)
        return;
    const uint32_t mask = attributes->your_event_mask | events;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}
#endif

uint32_t selectionOwner(const QByteArray& name) {
#if QT_CONFIG(xcb)
    xcb_connection_t* display = connection();
    if (!display)
        return 0;
    // Only an atom that exists can have an owner: asked without making it.
    const Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            display,
            xcb_intern_atom(display, 1, static_cast<uint16_t>(name.size()), name.constData()),
            nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return 0;
    const Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(display, xcb_get_selection_owner(display, atom->atom),
                                      nullptr),
        &std::free);
    return reply ? reply->owner : uint32_t(XCB_WINDOW_NONE);
#else
    Q_UNUSED(name);
    return 0;
#endif
}

bool hasSelectionOwner(const QByteArray& name) {
    return selectionOwner(name) != 0;
}

} // namespace X11Display
