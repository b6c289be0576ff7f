#include "Support/Desktop/FileReveal.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>

namespace FileReveal {

QUrl folderOf(const QUrl& fileURL) {
    return QUrl::fromLocalFile(QFileInfo(fileURL.toLocalFile()).absolutePath());
}

Request::Request(const QUrl& fileURL, const QDBusConnection& bus)
    : m_fileURL(fileURL) {
    if (!bus.isConnected()) {
        // No session bus (a bare X session): straight to the folder, still after this call
        // returns so callers see the same order of events either way.
        QMetaObject::invokeMethod(this, &Request::fallBack, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(service), QString::fromLatin1(objectPath),
        QString::fromLatin1(interface), QStringLiteral("ShowItems"));
    // The URIs to show, and the startup notification id (none: we are not launching it).
    call << QStringList{QString::fromUtf8(fileURL.toEncoded())} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                if (answered->isError()) {
                    fallBack();
                    return;
                }
                emit finished(true);
                deleteLater();
            });
}

void Request::fallBack() {
    if (!QDesktopServices::openUrl(folderOf(m_fileURL)))
        emit nothingShown();
    emit finished(false);
    deleteLater();
}

Request* reveal(const QUrl& fileURL, const QDBusConnection& bus) {
    return new Request(fileURL, bus);
}

} // namespace FileReveal
