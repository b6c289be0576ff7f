#include "State/RecentSends.h"

#include "State/ListMerge.h"
#include "State/StateStore.h"
#include "Support/JsonFields.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QList<SendLogEntry> withEntry(QList<SendLogEntry> log, const QUrl& fileURL, const QString& machine,
                              bool ok, const QString& message,
                              const std::optional<QString>& warning = std::nullopt) {
    const QUrl key = SendLogEntry::standardized(fileURL);
    log.removeIf([&](const SendLogEntry& entry) {
        return SendLogEntry::standardized(entry.fileURL) == key;
    });
    log.prepend(SendLogEntry{QUuid::createUuid(),
                             SendLogEntry::dateFrom(QDateTime::currentDateTimeUtc()), machine,
                             fileURL, ok, message, warning});
    if (log.size() > RecentSends::sendLogLimit)
        log.resize(RecentSends::sendLogLimit);
    return log;
}

} // namespace

RecentSends::RecentSends(StateStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_sendLog(store.loaded().holding.sendLog)
    , m_baseLog(m_sendLog) {
    if (const auto& kept = store.keptAside(); kept && kept->which.sendLog)
        m_sendLog = ListMerge::sendLog(kept->changes.base.sendLog, kept->changes.ours.sendLog,
                                       m_sendLog, sendLogLimit);
    connect(&m_store, &StateStore::merged, this, &RecentSends::takeMerged);
    recordInterruptedSend();
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
    setSendLog(withEntry(m_sendLog, fileURL, machine, ok, message, warning));
    // The write above carries the outcome from here on, into the store or, should the store
    // stay busy until the program quits, beside it.
    if (const QString marker = m_store.sendingMarkerPath(); !marker.isEmpty())
        QFile::remove(marker);
}

QString RecentSends::interruptedMessage() {
    return tr("Bobbinlark stopped while sending this design. The machine may have received it: "
              "check its wireless pocket before sending it again.");
}

void RecentSends::noteSending(const QUrl& fileURL, const QString& machine) {
    const QString marker = m_store.sendingMarkerPath();
    if (marker.isEmpty())
        return;
    const SendLogEntry entry{QUuid::createUuid(),
                             SendLogEntry::dateFrom(QDateTime::currentDateTimeUtc()),
                             machine,
                             fileURL,
                             false,
                             interruptedMessage(),
                             std::nullopt};
    QSaveFile file(marker);
    if (!file.open(QIODevice::WriteOnly) || file.write(SendLogEntry::encodeList({entry})) < 0 ||
        !file.commit())
        qWarning("Bobbinlark: couldn't note the design being sent in %s", qUtf8Printable(marker));
}

void RecentSends::recordInterruptedSend() {
    const QString marker = m_store.sendingMarkerPath();
    QFile file(marker);
    if (marker.isEmpty() || !QFileInfo(file).isFile() || QFileInfo(file).size() > 1024 * 1024 ||
        !file.open(QIODevice::ReadOnly))
        return;
    const QList<SendLogEntry> noted = JsonFields::decodeEach<SendLogEntry>(file.readAll()).items;
    file.close();
    if (noted.isEmpty()) {
        QFile::remove(marker);
        return;
    }

    // Said in this program's language, whichever it was when the send began. Written with the
    // program's first write; the note goes once that is asked for.
    const SendLogEntry& entry = noted.first();
    m_sendLog = withEntry(m_sendLog, entry.fileURL, entry.machineName, false, interruptedMessage());
    m_interruptedSendToWrite = true;
}

void RecentSends::forgetInterruptedSend() {
    if (std::exchange(m_interruptedSendToWrite, false))
        QFile::remove(m_store.sendingMarkerPath());
}

void RecentSends::save() {
    m_store.requestWrite({.sendLog = true});
}

void RecentSends::takeMerged(const StoreHolding& merged, StoreLists which,
                             const StoreHolding& sent) {
    if (!which.sendLog)
        return;
    // What other writers stored is taken in; entries recorded here since the write took its
    // snapshot go onto it, and out with the next write.
    const QList<SendLogEntry> log =
        ListMerge::sendLog(sent.sendLog, m_sendLog, merged.sendLog, sendLogLimit);
    m_baseLog = merged.sendLog;
    if (m_sendLog != log) {
        m_sendLog = log;
        emit sendLogChanged();
    }
}

void RecentSends::addTo(StoreChanges& changes) const {
    changes.base.sendLog = m_baseLog;
    changes.ours.sendLog = m_sendLog;
}
