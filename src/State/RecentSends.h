#pragma once

#include "Models/SendLogEntry.h"
#include "State/StoreKeeper.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <optional>

class StateStore;

// The recent sends, newest first, one entry per file. Every change is written to the store,
// onto what other writers stored meanwhile; what a write leaves on disk comes back here.
class RecentSends : public QObject {
    Q_OBJECT

public:
    // Starts with the log the store read.
    explicit RecentSends(StateStore& store, QObject* parent = nullptr);

    const QList<SendLogEntry>& sendLog() const { return m_sendLog; }
    // Every assignment is written at once.
    void setSendLog(const QList<SendLogEntry>& log);
    void removeFromRecents(const SendLogEntry& entry);
    void clearRecents() { setSendLog({}); }

    // Puts the outcome of one send first, in place of the file's older entry.
    void record(const QUrl& fileURL, const QString& machine, bool ok, const QString& message,
                const std::optional<QString>& warning = std::nullopt);

    // While a batch runs, what record() adds is written at most once a second: each write takes
    // the store's locks and flushes them and the file to disk, which for every design would
    // stall the panel. Ending the batch does not write; save() does.
    void setBatchRunning(bool running) { m_batchRunning = running; }
    bool hasUnsavedEntries() const { return m_unsaved; }
    // Writes whatever waited to be written, now.
    void save();

    static constexpr qsizetype sendLogLimit = StoreHolding::sendLogLimit;

signals:
    void sendLogChanged();

private:
    void takeMerged(const StoreHolding& merged, StoreLists which);

    StateStore& m_store;
    QList<SendLogEntry> m_sendLog;
    bool m_batchRunning = false;
    QTimer m_saveTimer;
    bool m_unsaved = false;
};
