#include "State/RecentSends.h"

#include "State/StateStore.h"

#include <QDateTime>

RecentSends::RecentSends(StateStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_sendLog(store.loaded().holding.sendLog) {
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(std::chrono::seconds(1));
    connect(&m_saveTimer, &QTimer::timeout, this, &RecentSends::save);
    connect(&m_store, &StateStore::merged, this, &RecentSends::takeMerged);
}

void RecentSends::setSendLog(const QList<SendLogEntry>& log) {
    if (m_sendLog != log) {
        m_sendLog = log;
        emit sendLogChanged();
    }
    save();
}

void RecentSends::removeFromRecents(const SendLogEntry& entry) {
    m_sendLog.removeIf([&](const SendLogEntry& logged) { return logged.id == entry.id; });
    emit sendLogChanged();
    save();
}

void RecentSends::record(const QUrl& fileURL, const QString& machine, bool ok,
                         const QString& message, const std::optional<QString>& warning) {
    const QUrl key = SendLogEntry::standardized(fileURL);
    QList<SendLogEntry> log = m_sendLog;
    log.removeIf([&](const SendLogEntry& entry) {
        return SendLogEntry::standardized(entry.fileURL) == key;
    });
    log.prepend(SendLogEntry{QUuid::createUuid(),
                             SendLogEntry::dateFrom(QDateTime::currentDateTimeUtc()), machine,
                             fileURL, ok, message, warning});
    if (log.size() > sendLogLimit)
        log.resize(sendLogLimit);
    if (!m_batchRunning) {
        setSendLog(log);
        return;
    }
    if (m_sendLog != log) {
        m_sendLog = log;
        emit sendLogChanged();
    }
    m_unsaved = true;
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
}

void RecentSends::save() {
    m_unsaved = false;
    m_saveTimer.stop();
    m_store.requestWrite({.sendLog = true});
}

void RecentSends::takeMerged(const StoreHolding& merged, StoreLists which) {
    // A log changed here since the write took its snapshot keeps the newer change.
    if (which.sendLog && !m_store.waitingToWrite().sendLog && m_sendLog != merged.sendLog) {
        m_sendLog = merged.sendLog;
        emit sendLogChanged();
    }
}
