#include "Support/Desktop/ServicesProvider.h"

#include "Support/SingleInstance.h"

ServicesProvider::ServicesProvider(QObject* parent)
    : QObject(parent) {}

bool ServicesProvider::registerOn(QDBusConnection connection) {
    if (!connection.isConnected())
        return false;
    if (!connection.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots))
        return false;
    if (!connection.registerService(serviceName)) {
        connection.unregisterObject(objectPath);
        return false;
    }
    return true;
}

QList<QUrl> ServicesProvider::fileURLs(const QStringList& uris) {
    QList<QUrl> files;
    for (const QString& uri : uris) {
        if (const std::optional<QUrl> url =
                SingleInstance::localFileURL(QUrl(uri, QUrl::StrictMode)))
            files.append(*url);
    }
    return files;
}

void ServicesProvider::SendFiles(const QStringList& uris) {
    const QList<QUrl> files = fileURLs(uris);
    if (files.isEmpty()) {
        if (calledFromDBus())
            sendErrorReply(noFilesError, tr("No files to send."));
        return;
    }
    emit filesReceived(files);
}
