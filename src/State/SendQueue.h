#pragma once

#include "Designs/DesignFile.h"
#include "Designs/StitchPreview.h"
#include "Models/SavedMachine.h"
#include "Models/SendStatus.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <optional>

class MachineList;
class MachineMonitor;
class RecentSends;
class StateStore;

// The designs handed over to be sent: files are filtered by type, queued, and uploaded one at a
// time to whichever machine is selected when their turn comes. Every attempt leaves one entry in
// the recent sends; the status says what is being sent and how the batch ended.
class SendQueue : public QObject {
    Q_OBJECT

public:
    SendQueue(MachineList& machines, MachineMonitor& monitor, RecentSends& recents,
              StateStore& store, QObject* parent = nullptr);

    const SendStatus& sendStatus() const { return m_sendStatus; }
    void setSendStatus(const SendStatus& status);
    // How much of the file being sent the machine has taken, from 0 to 1. It returns to 0 with
    // the status that names the next file (or ends the batch), without a signal of its own.
    double fileProgress() const { return m_fileProgress; }

    // Queues the design files among `fileURLs` for the selected machine; returns at once.
    void send(const QList<QUrl>& fileURLs);
    // Clears a finished status; ignored while sending.
    void dismissStatus();
    // Clears an error that is old news when the panel opens. What the store reported stays
    // until the user dismisses it: it is often found before the panel was ever shown.
    void clearStaleError();
    bool isSending() const { return m_isDrainingQueue; }

    // Tests shorten these; the program keeps the defaults.
    void setStatusResetDelay(std::chrono::milliseconds delay) { m_statusResetDelay = delay; }
    void setUploadTimeout(std::chrono::milliseconds timeout) { m_uploadTimeout = timeout; }
    // How designs are read (DesignFile::read); tests pass one that stalls.
    using DesignReader = std::function<DesignFile::Result(const QUrl& fileURL, qint64 maxBytes)>;
    void setDesignReader(DesignReader reader) { m_readDesign = std::move(reader); }
    void setReadDeadline(std::chrono::milliseconds deadline) { m_readDeadline = deadline; }

    // A design that has not been read by then fails, and the queue moves on.
    static constexpr std::chrono::milliseconds readDeadline{10000};

signals:
    // Emitted after the draining loop has set a batch's final status.
    void batchFinished();
    void sendStatusChanged();
    void fileProgressChanged();

private:
    QCoro::Task<> drainQueue();
    QCoro::Task<std::optional<QString>> send(QUrl fileURL, SavedMachine machine);
    // The size limit that machine reported, or the usual one.
    qint64 machineLimit(const QUuid& machineID) const;
    // The machine's area as last reported, when it reported one.
    bool knowsArea(const QUuid& machineID) const;
    void finishBatch(const QString& machineName);
    void setFileProgress(double fraction);
    void scheduleStatusReset();
    void cancelStatusReset();
    void showError(const QString& message, bool staysUntilDismissed = false);
    void reportStoreProblem(const QString& problem);

    MachineList& m_machines;
    MachineMonitor& m_monitor;
    RecentSends& m_recents;
    StateStore& m_store;

    SendStatus m_sendStatus = SendStatuses::Idle{};
    double m_fileProgress = 0;
    QList<QUrl> m_sendQueue;
    qint64 m_batchTotal = 0;
    qint64 m_batchSent = 0;
    qint64 m_batchUploadFailures = 0; // failed uploads among m_batchFailures
    qint64 m_batchRefused = 0;        // files refused by type, noted in m_batchFailures
    QStringList m_batchFailures;
    QStringList m_batchWarnings;                // designs larger than their machine's area
    std::optional<QString> m_batchStoreProblem; // a write that failed during the batch
    bool m_isDrainingQueue = false;
    bool m_errorStays = false; // the error shown stays until dismissed
    QTimer m_statusResetTimer;
    std::chrono::milliseconds m_statusResetDelay{6000};
    std::chrono::milliseconds m_uploadTimeout{30000};
    DesignReader m_readDesign = [](const QUrl& fileURL, qint64 maxBytes) {
        return DesignFile::read(fileURL, maxBytes);
    };
    std::chrono::milliseconds m_readDeadline = readDeadline;
};
