#include "Support/Desktop/X11Display.h"

#include <QGuiApplication>

#include <cstring>

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

QByteArray windowManagerName() {
#if QT_CONFIG(xcb)
    xcb_connection_t* display = connection();
    if (!display)
        return {};
    const auto property = [display](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        const Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(display, xcb_get_property(display, 0, window, name, type, 0, 64),
                                   nullptr),
            &std::free);
        return reply ? QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                  xcb_get_property_value_length(reply.get()))
                     : QByteArray();
    };
    // The manager's check window names itself as such, and the manager on it.
    const xcb_atom_t check = atom(display, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(display)).data->root;
    const QByteArray window = property(root, check, XCB_ATOM_WINDOW);
    if (window.size() != sizeof(xcb_window_t))
        return {};
    xcb_window_t id = 0;
    std::memcpy(&id, window.constData(), sizeof id);
    if (property(id, check, XCB_ATOM_WINDOW) != window)
        return {};
    return property(id, atom(display, "_NET_WM_NAME"), atom(display, "UTF8_STRING"));
#else
    return {};
#endif
}

} // namespace X11Display
