#include "Support/Desktop/TrayIcon.h"

#include "Support/Desktop/DBusMenuExporter.h"
#include "Support/Desktop/StatusNotifierItem.h"
#include "Support/Desktop/X11Display.h"

#include <QCursor>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>

namespace {

#if QT_CONFIG(xcb)
using X11Display::atom;
using X11Display::Reply;

// The tray's colours for symbolic icons: foreground, error, warning and success, each as three
// 16-bit channels; only the foreground is of use to a one-colour glyph.
const QByteArray trayColoursProperty = QByteArrayLiteral("_NET_SYSTEM_TRAY_COLORS");
#endif

// Any client may rewrite the tray's colours as often as it likes: they are read at most this
// often, once for all the changes in between.
constexpr int colourReadMs = 50;

// An XEmbed tray owns this selection of the screen it serves.
const QByteArray traySelection = QByteArrayLiteral("_NET_SYSTEM_TRAY_S0");

// Whether an X11 tray (XEmbed) serves the display.
bool xembedTrayRuns() {
    return X11Display::hasSelectionOwner(traySelection);
}

} // namespace

TrayIcon::TrayIcon(QDBusConnection bus, QMenu* menu, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_menu(menu) {
    m_menuExporter = new DBusMenuExporter(m_bus, m_menu, this);
    // The host draws the menu where the user clicked the icon: the pointer is there now.
    connect(m_menuExporter, &DBusMenuExporter::aboutToShow, this,
            [this] { m_menuAnchor = QCursor::pos(); });
    m_item = new StatusNotifierItem(m_bus,
                                    m_menuExporter->isExported()
                                        ? QString::fromLatin1(DBusMenuExporter::objectPath)
                                        : QString(),
                                    this);
    connect(m_item, &StatusNotifierItem::activated, this,
            [this](QPoint position) { emit clicked(position); });
    // Hosts that draw no menu of their own ask for ours at the click.
    connect(m_item, &StatusNotifierItem::contextMenuRequested, this, &TrayIcon::popUpMenu);
    m_colourChange = new QTimer(this);
    m_colourChange->setSingleShot(true);
    m_colourChange->setInterval(colourReadMs);
    connect(m_colourChange, &QTimer::timeout, this, &TrayIcon::update);
    connect(m_item, &StatusNotifierItem::answered, this, &TrayIcon::update);
    listenForXembedTrays();
    update();
}

TrayIcon::~TrayIcon() {
    if (m_listensForXembed && qApp)
        qApp->removeNativeEventFilter(this);
    delete m_xembed;
}

std::optional<QColor> TrayIcon::announcedColour() const {
    return m_kind == Kind::xembed ? m_trayForeground : std::nullopt;
}

QRect TrayIcon::geometry() const {
    return m_kind == Kind::xembed && m_xembed ? m_xembed->geometry() : QRect();
}

void TrayIcon::setIcon(const QString& themedName, const QList<QImage>& images) {
    m_themedName = themedName;
    m_images = images;
    m_item->setIcon(themedName, images);
    if (m_xembed) {
        QIcon icon;
        for (const QImage& image : images)
            icon.addPixmap(QPixmap::fromImage(image));
        m_xembed->setIcon(icon);
    }
}

void TrayIcon::setToolTip(const QString& title, const QString& text) {
    if (title == m_toolTipTitle && text == m_toolTip)
        return;
    m_toolTipTitle = title;
    m_toolTip = text;
    m_item->setToolTip(title, text);
    if (m_xembed)
        m_xembed->setToolTip(title + u'\n' + text);
}

void TrayIcon::popUpMenu(QPoint screenPosition) {
    if (!m_menu)
        return;
    // The screen the point is on, else the one nearest to it.
    QScreen* nearest = QGuiApplication::screenAt(screenPosition);
    qint64 nearestDistance = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (nearest)
            break;
        const QRect area = screen->geometry();
        const qint64 dx = std::max<qint64>({qint64(area.left()) - screenPosition.x(), 0,
                                            qint64(screenPosition.x()) - area.right()});
        const qint64 dy = std::max<qint64>({qint64(area.top()) - screenPosition.y(), 0,
                                            qint64(screenPosition.y()) - area.bottom()});
        const qint64 distance = dx * dx + dy * dy;
        if (!nearest || distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    if (!nearest)
        return;
    const QRect area = nearest->availableGeometry();
    // QMenu keeps itself inside the screen of the point it opens at, once that point is on one.
    m_menuAnchor = QPoint(std::clamp(screenPosition.x(), area.left(), area.right()),
                          std::clamp(screenPosition.y(), area.top(), area.bottom()));
    m_menu->popup(*m_menuAnchor);
}

void TrayIcon::update() {
    Kind kind = Kind::none;
    if (m_item->isShown()) {
        kind = Kind::statusNotifier;
        dropXembed();
    } else if (m_xembed) {
        kind = Kind::xembed;
    } else if (m_item->hasAnswered() && xembedTrayRuns()) {
        // Only once the status-notifier watcher has answered: a host already there must get
        // our item, not a second icon through Qt.
        showXembed();
        kind = Kind::xembed;
    }
    const bool wasShown = isShown();
    const std::optional<QColor> oldColour = announcedColour();
    m_kind = kind;
    if (m_kind == Kind::xembed)
        readTrayColours();
    if (isShown() != wasShown)
        emit shownChanged(isShown());
    if (announcedColour() != oldColour)
        emit announcedColourChanged();
    if (m_item->hasAnswered() && !m_isSettled) {
        m_isSettled = true;
        emit settled();
    }
}

void TrayIcon::showXembed() {
    m_xembed = new QSystemTrayIcon;
    setIcon(m_themedName, m_images);
    m_xembed->setToolTip(m_toolTipTitle + u'\n' + m_toolTip);
    m_xembed->setContextMenu(m_menu);
    connect(m_xembed, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Every click toggles: a quick second click arrives as a double click.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit clicked(std::nullopt);
            });
    m_xembed->show();
}

void TrayIcon::dropXembed() {
    delete m_xembed;
}

void TrayIcon::listenForXembedTrays() {
#if QT_CONFIG(xcb)
    xcb_connection_t* connection = X11Display::connection();
    if (!connection)
        return;
    // A tray that takes the selection says so to the root window's structure listeners
    // (the MANAGER message).
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    X11Display::listen(connection, root, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    qApp->installNativeEventFilter(this);
    m_listensForXembed = true;
#endif
}

void TrayIcon::readTrayColours() {
#if QT_CONFIG(xcb)
    m_trayForeground.reset();
    xcb_connection_t* connection = X11Display::connection();
    const uint32_t trayWindow = X11Display::selectionOwner(traySelection);
    if (!connection || !trayWindow) {
        m_trayWindow = 0;
        return;
    }
    // Told of every change of the tray's properties, as when the panel's theme changes (Qt's
    // own icon listens to the same window for the tray's end). Each time: a new tray's window
    // may have the id of the last one's.
    X11Display::listen(connection, trayWindow, XCB_EVENT_MASK_PROPERTY_CHANGE);
    m_trayWindow = trayWindow;
    static const xcb_atom_t colours = atom(connection, trayColoursProperty);
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, m_trayWindow, colours, XCB_ATOM_CARDINAL, 0, 12),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32 || reply->value_len < 3)
        return;
    const auto* channels = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    m_trayForeground =
        QColor::fromRgba64(static_cast<quint16>(channels[0]), static_cast<quint16>(channels[1]),
                           static_cast<quint16>(channels[2]));
#endif
}

bool TrayIcon::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#if QT_CONFIG(xcb)
    if (eventType != "xcb_generic_event_t")
        return false;
    xcb_connection_t* connection = X11Display::connection();
    if (!connection)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & 0x7f;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        static const xcb_atom_t colours = atom(connection, trayColoursProperty);
        if (m_trayWindow && property->window == m_trayWindow && property->atom == colours &&
            !m_colourChange->isActive())
            m_colourChange->start();
        return false;
    }
    if (type != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (client->format != 32)
        return false;
    static const xcb_atom_t manager = atom(connection, QByteArrayLiteral("MANAGER"));
    static const xcb_atom_t selection = atom(connection, traySelection);
    // Not from inside the event's delivery: Qt's own icon may be made in answer.
    if (client->type == manager && client->data.data32[1] == selection)
        QTimer::singleShot(0, this, &TrayIcon::update);
#else
    Q_UNUSED(eventType)
    Q_UNUSED(message)
#endif
    return false;
}
