#include "Support/Desktop/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTimer>
#include <QtEndian>

namespace {

const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString watcherInterface = QStringLiteral("org.kde.StatusNotifierWatcher");

// A watcher that has not answered by then is taken as absent, so that a program without a
// tray shows its window; it registers us again if it ever takes its name anew.
constexpr int answerTimeoutMs = 3000;

// Each item of the process gets a name of its own, as the protocol asks.
int nextItemNumber = 1;

} // namespace

StatusNotifierPixmap StatusNotifierPixmap::fromImage(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    StatusNotifierPixmap pixmap{argb.width(), argb.height(), {}};
    pixmap.bytes.resize(qsizetype(argb.width()) * argb.height() * 4);
    auto* out = reinterpret_cast<quint32*>(pixmap.bytes.data());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const quint32*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            *out++ = qToBigEndian(line[x]);
    }
    return pixmap;
}

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierPixmap& pixmap) {
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierPixmap& pixmap) {
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierToolTip& toolTip) {
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.pixmaps << toolTip.title << toolTip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierToolTip& toolTip) {
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.pixmaps >> toolTip.title >> toolTip.text;
    argument.endStructure();
    return argument;
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, const QString& menuPath,
                                       QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    // The protocol's word for "no menu" where there is none: the property must be a valid path.
    , m_menuPath(menuPath.isEmpty() ? QStringLiteral("/NO_DBUSMENU") : menuPath) {
    qDBusRegisterMetaType<StatusNotifierPixmap>();
    qDBusRegisterMetaType<StatusNotifierPixmaps>();
    qDBusRegisterMetaType<StatusNotifierToolTip>();
    if (!m_bus.isConnected()) {
        m_hasAnswered = true; // no bus, no host: the answer is in
        return;
    }
    m_serviceName = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                        .arg(QCoreApplication::applicationPid())
                        .arg(nextItemNumber++);
    m_isPublished = m_bus.registerService(m_serviceName) &&
                    m_bus.registerObject(itemPath, this,
                                         QDBusConnection::ExportScriptableSlots |
                                             QDBusConnection::ExportScriptableSignals |
                                             QDBusConnection::ExportAllProperties);
    if (!m_isPublished) {
        m_hasAnswered = true;
        return;
    }

    // A panel that starts late, or restarts, takes the watcher's name: register again then.
    m_watcher = new QDBusServiceWatcher(QString::fromLatin1(watcherService), m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty())
                    setShown(false);
                else
                    registerWithWatcher();
            });
    // A watcher may run before any host shows its items (a bar still starting).
    m_bus.connect(QString::fromLatin1(watcherService), watcherPath, watcherInterface,
                  QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
    m_bus.connect(QString::fromLatin1(watcherService), watcherPath, watcherInterface,
                  QStringLiteral("StatusNotifierHostUnregistered"), this, SLOT(askForHost()));
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem() {
    if (!m_isPublished)
        return;
    m_bus.unregisterObject(itemPath);
    m_bus.unregisterService(m_serviceName);
}

void StatusNotifierItem::setIcon(const QString& themedName, const QList<QImage>& images) {
    StatusNotifierPixmaps pixmaps;
    for (const QImage& image : images)
        pixmaps.append(StatusNotifierPixmap::fromImage(image));
    if (themedName == m_iconName && pixmaps == m_pixmaps)
        return;
    m_iconName = themedName;
    m_pixmaps = std::move(pixmaps);
    if (m_isPublished)
        emit NewIcon();
}

void StatusNotifierItem::setToolTip(const QString& title, const QString& text) {
    m_toolTip.title = title;
    m_toolTip.text = text;
    if (m_isPublished)
        emit NewToolTip();
}

void StatusNotifierItem::Activate(int x, int y) {
    // A GTK host (waybar) activates twice for the second press of a double click: once for
    // the press, once for the double click it makes. One press is one click.
    constexpr qint64 samePress = 100;
    if (m_lastActivation.isValid() && m_lastActivation.elapsed() < samePress)
        return;
    m_lastActivation.start();
    emit activated(QPoint(x, y));
}

void StatusNotifierItem::SecondaryActivate(int x, int y) {
    // A middle click: the same as a click, as other tray programs do.
    emit activated(QPoint(x, y));
}

void StatusNotifierItem::ContextMenu(int x, int y) {
    emit contextMenuRequested(QPoint(x, y));
}

void StatusNotifierItem::Scroll(int, const QString&) {}

void StatusNotifierItem::registerWithWatcher(int tries) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(watcherService), watcherPath, watcherInterface,
        QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    // Nothing is started for the name: a watcher comes with a panel, and says so when it does.
    call.setAutoStartService(false);
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, answerTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, tries](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (!w->isError()) {
                    askForHost();
                    return;
                }
                setShown(false);
                // No watcher yet: its arrival registers us. One that owns its name but did not
                // take the call may still be setting up: ask again shortly, a few times.
                constexpr int retryMs = 200;
                // (With no service started, a missing watcher answers NameHasNoOwner.)
                const QString why = w->error().name();
                const bool absent =
                    why == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
                    why == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown");
                if (tries > 1 && !absent)
                    QTimer::singleShot(retryMs, this,
                                       [this, tries] { registerWithWatcher(tries - 1); });
            });
}

void StatusNotifierItem::hostRegistered() {
    registerWithWatcher();
}

void StatusNotifierItem::askForHost() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        QString::fromLatin1(watcherService), watcherPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcherInterface << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(get, answerTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        // A watcher that does not say whether a host runs is taken at its word of registering.
        setShown(reply.isError() || reply.value().variant().toBool());
    });
}

void StatusNotifierItem::setShown(bool shown) {
    m_hasAnswered = true;
    if (shown != m_isShown) {
        m_isShown = shown;
        emit shownChanged(shown);
    }
    emit answered();
}
