#pragma once

#include "State/StoreKeeper.h"

#include <QObject>
#include <QSettings>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// The program's side of the settings store: it loads the stored lists at start, takes the
// owners' requests to write and hands them to the StoreKeeper one at a time, and says why the
// store could not be used. The owners of the lists (MachineList, RecentSends) take back what a
// write left on disk, other writers' changes included.
class StateStore : public QObject {
    Q_OBJECT

public:
    // Where the store is waited on and written: the tool writes on its own thread and knows
    // when it returns that the write is done; the program keeps its GUI thread live and takes
    // each write's outcome later (storeWritten).
    enum class Work { onCallersThread, onItsOwnThread };

    StateStore(std::unique_ptr<QSettings> store, Work work, QObject* parent = nullptr);
    ~StateStore() override;

    // The lists as they read at start.
    const StoreKeeper::Loaded& loaded() const { return m_loaded; }
    // Changes the program could not write when it last quit, for the owners to put onto what
    // they load; the program's next write carries them. The tool leaves them to the program.
    const std::optional<StoreKeeper::KeptAside>& keptAside() const { return m_keptAside; }
    // Where the program notes the design it is sending, until its outcome is recorded; empty
    // for the tool, which says each outcome as it comes.
    QString sendingMarkerPath() const { return m_sendingMarkerPath; }
    // What the user should read about the store at start, until they dismiss it.
    const std::optional<QString>& startNotice() const { return m_startNotice; }
    // Whether the store asks for the panel to open right after start.
    bool opensOnLaunch() const { return m_loaded.openOnLaunch; }
    // Whether a write of the store is under way on its own thread.
    bool isWritingStore() const { return m_writing.any(); }
    // Why the last write of the store failed, or why the store cannot be used; absent once a
    // write went through.
    const std::optional<QString>& storeProblem() const { return m_storeProblem; }

    // What the owners hold now, taken when a write starts.
    void setSnapshot(std::function<StoreChanges()> snapshot) { m_snapshot = std::move(snapshot); }
    // Writes the lists now, or once the write under way has ended.
    void requestWrite(StoreLists which);
    // Before the owners go: writes whatever is under way or waiting, waiting only briefly for the
    // turn, and ends the store's thread.
    void finish();

    // Tests shorten these; the program keeps the defaults.
    void setStoreWaitLimit(std::chrono::milliseconds limit) { m_storeWaitLimit = limit; }
    void setRetryDelay(std::chrono::milliseconds delay) { m_retry.setInterval(delay); }
    // How long the program waits for the store's turn to write what it holds when it quits.
    static constexpr std::chrono::milliseconds lastWriteLimit{2000};

signals:
    // A write left `holding` on disk for the lists in `which`; `sent` is what the owners held
    // when it started, so that an owner changed since puts its newer changes onto what is stored.
    void merged(const StoreHolding& holding, StoreLists which, const StoreHolding& sent);
    // Every failed write, and a store that cannot be used, as the user should read it.
    void problemReported(const QString& problem);
    void storeProblemChanged();
    // A write of the store has ended, written or not (storeProblem says).
    void storeWritten();

private:
    void startWrite();
    void takeWritten(const StoreKeeper::Written& written, StoreLists which,
                     const StoreChanges& sent);
    void setStoreProblem(const std::optional<QString>& problem);

    // Lives on m_storeThread when there is one, and is used only there.
    std::unique_ptr<StoreKeeper> m_keeper;
    std::unique_ptr<QThread> m_storeThread;
    StoreKeeper::Loaded m_loaded;
    std::function<StoreChanges()> m_snapshot;
    StoreLists m_writing;     // what the write under way on the store's thread carries
    StoreLists m_writeWanted; // changed since that write took its snapshot
    std::optional<QString> m_storeProblem;
    std::optional<StoreKeeper::KeptAside> m_keptAside;
    std::optional<QString> m_startNotice;
    QString m_sendingMarkerPath;
    std::chrono::milliseconds m_storeWaitLimit{10000};
    // A write that did not get its turn is made again by itself, a moment later.
    QTimer m_retry;
    StoreLists m_retryWanted;
    bool m_finished = false;
};
