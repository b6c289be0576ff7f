#pragma once

#include "Models/SendLogEntry.h"
#include "State/StoreKeeper.h"

#include <QList>
#include <QObject>
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

    // Puts the outcome of one send first, in place of the file's older entry, and writes it at
    // once: a design the machine took is on record as soon as its answer came.
    void record(const QUrl& fileURL, const QString& machine, bool ok, const QString& message,
                const std::optional<QString>& warning = std::nullopt);
    // A design is about to go out. If the program ends before its outcome is recorded (killed,
    // or quit mid-upload), its next start records it as one the machine may have received.
    void noteSending(const QUrl& fileURL, const QString& machine);
    // What such an entry says.
    static QString interruptedMessage();
    // Whether the log read at start gained such an entry, for the first write to carry; after
    // asking for that write, forgetInterruptedSend() drops the note.
    bool hasInterruptedSendToWrite() const { return m_interruptedSendToWrite; }
    void forgetInterruptedSend();

    // The log with the stored one it was last merged with, for a write.
    void addTo(StoreChanges& changes) const;

    static constexpr qsizetype sendLogLimit = StoreHolding::sendLogLimit;

signals:
    void sendLogChanged();

private:
    void save();
    void takeMerged(const StoreHolding& merged, StoreLists which, const StoreHolding& sent);
    void recordInterruptedSend();

    StateStore& m_store;
    QList<SendLogEntry> m_sendLog;
    // As stored when last read or written: what differs from it is this program's change.
    QList<SendLogEntry> m_baseLog;
    bool m_interruptedSendToWrite = false;
};
