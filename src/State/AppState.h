#pragma once

#include "Designs/DesignFile.h"
#include "Designs/StitchPreview.h"
#include "Models/SavedMachine.h"
#include "Models/SendLogEntry.h"
#include "Models/SendStatus.h"
#include "Networking/MachineDiscovery.h"
#include "Networking/MachineInfo.h"
#include "State/StoreKeeper.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSettings>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// The one owner of the utility's mutable state: saved machines and the selection, what is
// known about each machine at run time, discovery, the send queue and status, and the recent
// sends. Lives on the GUI thread. A field assigned a new value notifies only when the value
// really changes; an in-place edit of a collection (append, remove, set an entry) always
// notifies, as observers cannot cheaply tell what changed.
//
// The operations are split by concern: AppState.cpp holds the store and the machine list,
// AppStateSending.cpp the send pipeline, AppStateDiscovery.cpp the checks, the scan and
// relocation.
class AppState : public QObject {
    Q_OBJECT

public:
    // Where the store is waited on and written: the tool writes on its own thread and knows
    // when it returns that the write is done; the program keeps its GUI thread live and takes
    // each write's outcome later (storeWritten).
    enum class StoreWork { onCallersThread, onItsOwnThread };

    // Takes the per-user store (tests pass a temporary file) and loads from it.
    explicit AppState(std::unique_ptr<QSettings> store, QObject* parent = nullptr);
    AppState(std::unique_ptr<QSettings> store, StoreWork work, QObject* parent = nullptr);
    ~AppState() override;

    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // Saved machines and the selection.
    const QList<SavedMachine>& machines() const { return m_machines; }
    const std::optional<QUuid>& selectedMachineID() const { return m_selectedMachineID; }
    // The selected machine, else the first one; absent only without machines.
    std::optional<SavedMachine> selectedMachine() const;
    // The first saved machine with that id, as saved now.
    std::optional<SavedMachine> savedMachine(const QUuid& id) const;

    SavedMachine addMachine(const SavedMachine& machine);
    void updateMachine(const SavedMachine& machine);
    void removeMachine(const SavedMachine& machine);
    void selectMachine(const SavedMachine& machine);

    // Run-time knowledge of the machines.
    const QHash<QUuid, Reachability>& reachability() const { return m_reachability; }
    Reachability reachabilityOf(const QUuid& id) const;
    const QHash<QUuid, MachineInfo>& machineInfo() const { return m_machineInfo; }

    // Discovery.
    bool isDiscovering() const { return m_isDiscovering; }
    const QList<MachineInfo>& discovered() const { return m_discovered; }
    bool hasScanned() const { return m_hasScanned; }
    const std::optional<QString>& discoveryError() const { return m_discoveryError; }
    const QSet<QUuid>& relocatedMachineIDs() const { return m_relocatedMachineIDs; }

    // Sending.
    const SendStatus& sendStatus() const { return m_sendStatus; }
    void setSendStatus(const SendStatus& status);
    // How much of the file being sent the machine has taken, from 0 to 1. It returns to 0 with
    // the status that names the next file (or ends the batch), without a signal of its own.
    double fileProgress() const { return m_fileProgress; }

    // Recent sends, newest first. Every assignment is persisted at once.
    const QList<SendLogEntry>& sendLog() const { return m_sendLog; }
    void setSendLog(const QList<SendLogEntry>& log);

    // Whether the store asks for the panel to open right after start.
    bool opensOnLaunch() const { return m_opensOnLaunch; }
    // Whether a write of the store is under way on its own thread.
    bool isWritingStore() const { return m_writing.any(); }
    // Why the last write of the store failed, or why the store cannot be used; absent once a
    // write went through.
    const std::optional<QString>& storeProblem() const { return m_storeProblem; }

    // Sending and the recent-sends log (AppStateSending.cpp).

    // Queues the design files among `fileURLs` for the selected machine; returns at once.
    void send(const QList<QUrl>& fileURLs);
    // Clears a finished status; ignored while sending.
    void dismissStatus();
    void removeFromRecents(const SendLogEntry& entry);
    void clearRecents() { setSendLog({}); }
    bool isSending() const { return m_isDrainingQueue; }

    // Where a sent design's preview comes from, to tell its size. Asked on the GUI thread, while
    // the upload runs, and only for a machine that reported its area. By default the file is
    // decoded on a worker thread; the program passes its preview cache, which the recent-send
    // card then reads without decoding again.
    using PreviewSource = std::function<QCoro::Task<std::optional<StitchPreview>>(QUrl)>;
    void setPreviewSource(PreviewSource source) { m_previewSource = std::move(source); }

    // Tests shorten these; the program keeps the defaults.
    void setStatusResetDelay(std::chrono::milliseconds delay) { m_statusResetDelay = delay; }
    void setUploadTimeout(std::chrono::milliseconds timeout) { m_uploadTimeout = timeout; }
    void setStoreWaitLimit(std::chrono::milliseconds limit) { m_storeWaitLimit = limit; }
    // How designs are read (DesignFile::read); tests pass one that stalls.
    using DesignReader = std::function<DesignFile::Result(const QUrl& fileURL, qint64 maxBytes)>;
    void setDesignReader(DesignReader reader) { m_readDesign = std::move(reader); }
    void setReadDeadline(std::chrono::milliseconds deadline) { m_readDeadline = deadline; }

    // A design that has not been read by then fails, and the queue moves on.
    static constexpr std::chrono::milliseconds readDeadline{10000};

    static constexpr qsizetype sendLogLimit = StoreHolding::sendLogLimit;
    // How long the program waits for the store's turn to write what it holds when it quits.
    static constexpr std::chrono::milliseconds lastWriteLimit{2000};

    // Machine checks, discovery and relocation (AppStateDiscovery.cpp).
    static constexpr double checkTimeout = 5.0;
    static constexpr double probeTimeout = 3.5;
    static constexpr qint64 probeConcurrency = 64;

    // Checks every machine, then scans when there is nothing usable to send to.
    QCoro::Task<> popoverDidOpen();
    // All saved machines at once; returns when every check has finished.
    QCoro::Task<> checkAll();
    // Asks one machine for its info and records the answer, unless the machine was edited,
    // moved or removed meanwhile. A check bound to an object (a screen's display) is cancelled
    // when that object is destroyed first: it counts at once as a query without answer.
    QCoro::Task<> check(SavedMachine machine, QPointer<QObject> boundTo = {});
    // One network scan at a time; a call while one runs returns at once.
    QCoro::Task<> discover();
    // Saves a discovered machine, pinned to the identifier and certificate it answered with.
    void addDiscovered(const MachineInfo& info);
    // Whether the machine now presents another certificate than its pinned one.
    bool certificateChanged(const SavedMachine& machine) const;
    // Pins the certificate the machine presented last.
    void trustCurrentCertificate(const SavedMachine& machine);

    // Where checks and scans reach the network: this computer's by default; tests point
    // interfaces, ARP hosts, port and probes at loopback.
    void setDiscoveryEnvironment(MachineDiscovery::Environment environment);
    // Two discovered entries with equal keys are the same machine.
    static QString discoveredKey(const MachineInfo& info);

    // Whether a discovered answer and a saved machine are the same machine: by machine
    // identifier when both have one, else by host (ignoring case) and port.
    static bool matches(const MachineInfo& info, const SavedMachine& machine);

signals:
    // Emitted after the draining loop has set a batch's final status.
    void batchFinished();
    void machinesChanged();
    void selectedMachineIDChanged();
    void reachabilityChanged();
    void machineInfoChanged();
    void isDiscoveringChanged();
    void discoveredChanged();
    void hasScannedChanged();
    void discoveryErrorChanged();
    void relocatedMachineIDsChanged();
    void sendStatusChanged();
    void fileProgressChanged();
    void sendLogChanged();
    void storeProblemChanged();
    // A write of the store has ended, written or not (storeProblem says).
    void storeWritten();

private:
    void persist() { requestWrite({.machines = true}); }
    void persistSendLog();
    // Writes the lists now, or once the write under way has ended.
    void requestWrite(StoreLists which);
    void startWrite();
    void takeWritten(const StoreKeeper::Written& written, StoreLists which);

    void setSelectedMachineID(const std::optional<QUuid>& id);
    void setStoreProblem(const std::optional<QString>& problem);
    void setReachability(const QUuid& id, Reachability value);

    QCoro::Task<> drainQueue();
    QCoro::Task<std::optional<QString>> send(QUrl fileURL, SavedMachine machine);
    // The size limit that machine reported, or the usual one.
    qint64 machineLimit(const QUuid& machineID) const;
    void finishBatch(const QString& machineName);
    void setFileProgress(double fraction);
    void scheduleStatusReset();
    void cancelStatusReset();
    void showError(const QString& message);
    void log(const QUrl& fileURL, const QString& machine, bool ok, const QString& message,
             const std::optional<QString>& warning = std::nullopt);
    // The machine's area as last reported, when it reported one.
    bool knowsArea(const QUuid& machineID) const;

    // Checks and discovery (AppStateDiscovery.cpp).
    void record(const MachineInfo& info, const SavedMachine& machine);
    void found(const MachineInfo& info);
    static QCoro::Task<> foundOnOwnThread(QPointer<AppState> state, MachineInfo info);
    void setIsDiscovering(bool value);
    void setHasScanned(bool value);
    void setDiscoveryError(const std::optional<QString>& value);

    // Lives on m_storeThread when there is one, and is used only there.
    std::unique_ptr<StoreKeeper> m_keeper;
    std::unique_ptr<QThread> m_storeThread;
    StoreLists m_writing;     // what the write under way on the store's thread carries
    StoreLists m_writeWanted; // changed since that write took its snapshot
    bool m_opensOnLaunch = false;
    std::optional<QString> m_storeProblem;
    std::chrono::milliseconds m_storeWaitLimit{10000};

    QList<SavedMachine> m_machines;
    std::optional<QUuid> m_selectedMachineID;
    QHash<QUuid, Reachability> m_reachability;
    QHash<QUuid, MachineInfo> m_machineInfo;
    bool m_isDiscovering = false;
    QList<MachineInfo> m_discovered;
    bool m_hasScanned = false;
    std::optional<QString> m_discoveryError;
    QSet<QUuid> m_relocatedMachineIDs;
    MachineDiscovery::Environment m_discoveryEnvironment = MachineDiscovery::Environment::system();
    SendStatus m_sendStatus = SendStatuses::Idle{};
    double m_fileProgress = 0;
    QList<SendLogEntry> m_sendLog;

    QList<QUrl> m_sendQueue;
    qint64 m_batchTotal = 0;
    qint64 m_batchSent = 0;
    qint64 m_batchUploadFailures = 0; // failed uploads among m_batchFailures
    qint64 m_batchRefused = 0;        // files refused by type, noted in m_batchFailures
    QStringList m_batchFailures;
    QStringList m_batchWarnings; // designs larger than their machine's area
    PreviewSource m_previewSource;
    std::optional<QString> m_batchStoreProblem; // a write that failed during the batch
    bool m_isDrainingQueue = false;
    QTimer m_statusResetTimer;
    // During a batch the recent sends are written at most this often and when it ends: each
    // write takes the store's locks and flushes them and the file to disk, which for every
    // design would stall the panel.
    QTimer m_sendLogSave;
    bool m_sendLogUnsaved = false;
    std::chrono::milliseconds m_statusResetDelay{6000};
    std::chrono::milliseconds m_uploadTimeout{30000};
    DesignReader m_readDesign = [](const QUrl& fileURL, qint64 maxBytes) {
        return DesignFile::read(fileURL, maxBytes);
    };
    std::chrono::milliseconds m_readDeadline = readDeadline;
};
