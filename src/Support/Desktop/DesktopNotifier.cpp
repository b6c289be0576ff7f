#include "Support/Desktop/DesktopNotifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <utility>

namespace {

// Long enough for a server that is started on demand; nothing waits for it meanwhile.
constexpr int callTimeoutMs = 25000;

QDBusMessage call(const char* method) {
    return QDBusMessage::createMethodCall(
        QString(DesktopNotifier::service), QString(DesktopNotifier::objectPath),
        QString(DesktopNotifier::interface), QString::fromLatin1(method));
}

// The "image-data" hint: width, height, row stride, alpha, bits per sample, channels, RGBA bytes.
QDBusArgument imageData(const QImage& image) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument argument;
    argument.beginStructure();
    argument << rgba.width() << rgba.height() << int(rgba.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char*>(rgba.constBits()), rgba.sizeInBytes());
    argument.endStructure();
    return argument;
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus)) {
    if (!m_bus.isConnected())
        return;
    m_bus.connect(QString(service), QString(objectPath), QString(interface),
                  QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
    m_bus.connect(QString(service), QString(objectPath), QString(interface),
                  QStringLiteral("NotificationClosed"), this, SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifier::show(const QString& summary, const QString& body, Kind kind) {
    if (!m_bus.isConnected())
        return;
    m_waiting = Note{summary, body, kind};
    ++m_shows;
    sendWaiting();
}

void DesktopNotifier::sendWaiting() {
    if (!m_waiting || m_calling)
        return;
    if (!m_capabilities)
        askCapabilities();
    else
        notify(*std::exchange(m_waiting, std::nullopt));
}

void DesktopNotifier::askCapabilities() {
    m_calling = true;
    auto* watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call("GetCapabilities"), callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, asked = m_shows](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                m_calling = false;
                const QDBusPendingReply<QStringList> reply = *answered;
                if (reply.isError()) {
                    // No server: what waited is dropped, unless it came after the question (a
                    // server may have started since).
                    if (m_shows != asked)
                        sendWaiting();
                    else
                        m_waiting.reset();
                    return;
                }
                m_capabilities = reply.value();
                sendWaiting();
            });
}

void DesktopNotifier::notify(const Note& note) {
    const bool replaces = m_lastID != 0 && m_sinceLast.isValid() &&
                          std::chrono::milliseconds(m_sinceLast.elapsed()) < m_replaceWindow;
    // A server that reads markup in the body would take a file name's '&' or '<' for it.
    const QString body = m_capabilities->contains(QStringLiteral("body-markup"))
                             ? note.body.toHtmlEscaped()
                             : note.body;
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString(appID));
    hints.insert(QStringLiteral("category"), note.kind == Kind::success
                                                 ? QStringLiteral("transfer.complete")
                                                 : QStringLiteral("transfer.error"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
    if (!m_fallbackImage.isNull())
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(imageData(m_fallbackImage)));

    QDBusMessage message = call("Notify");
    message << QStringLiteral("Bobbinlark") << (replaces ? m_lastID : 0u) << QString(appID)
            << note.summary << body << QStringList{QStringLiteral("default"), tr("Show")} << hints
            << -1;
    m_calling = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                m_calling = false;
                const QDBusPendingReply<uint> reply = *answered;
                if (reply.isError()) {
                    // The server went away; a later one may say other things it can do.
                    m_capabilities.reset();
                } else {
                    m_lastID = reply.value();
                    m_shownIDs.insert(m_lastID);
                    m_sinceLast.start();
                }
                sendWaiting();
            });
}

void DesktopNotifier::actionInvoked(uint id, const QString& actionKey) {
    // The server tells every client of every program's notifications.
    if (m_shownIDs.contains(id) && actionKey == u"default")
        emit activated();
}

void DesktopNotifier::notificationClosed(uint id, uint /*reason*/) {
    m_shownIDs.remove(id);
    if (id == m_lastID)
        m_lastID = 0;
}
