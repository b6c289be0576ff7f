#pragma once

#include "Models/SavedMachine.h"
#include "Models/SendLogEntry.h"

#include <QList>
#include <QObject>
#include <QSettings>
#include <QUuid>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

class StoreLock;

// The stored lists and selection, as a program holds them or as a write left them on disk.
struct StoreHolding {
    QList<SavedMachine> machines;
    std::optional<QUuid> selection;
    QList<SendLogEntry> sendLog;

    // Recent sends kept, newest first.
    static constexpr qsizetype sendLogLimit = 50;

    bool operator==(const StoreHolding&) const = default;
};

// What a writer holds, and the stored lists it last took in: what it changed is the difference.
struct StoreChanges {
    StoreHolding base;
    StoreHolding ours;
};

// Which of the stored values a write carries.
struct StoreLists {
    bool machines = false; // with the selection
    bool sendLog = false;

    bool any() const { return machines || sendLog; }
    StoreLists& operator|=(const StoreLists& other) {
        machines = machines || other.machines;
        sendLog = sendLog || other.sendLog;
        return *this;
    }
};

// Owns the settings store and every wait and write on it. Each write takes the store's turn,
// re-reads the file, puts this program's changes onto what other writers stored meanwhile and
// checks that the disk took it. The program runs it on a thread of its own, so that neither a
// writer holding its turn nor the disk's flushes ever stall the panel; the tool calls it directly.
//
// Each write is three-way: the writer's changes since the lists it last took in go onto what
// is stored now, leaving other writers' changes in place.
class StoreKeeper : public QObject {
    Q_OBJECT

public:
    // Changes a program could not write before it quit, kept beside the store.
    struct KeptAside {
        StoreChanges changes;
        StoreLists which;
    };

    struct Loaded {
        StoreHolding holding;
        bool whole = true;           // false when a stored value did not read whole
        bool sendLogToWrite = false; // the log read and is written back at once
        bool openOnLaunch = false;
        std::optional<QString> problem; // why the store cannot be used
        std::optional<KeptAside> keptAside;
    };

    struct Written {
        // The lists as the store now holds them (ours merged onto the others'); absent when the
        // write did not get its turn and nothing was read.
        std::optional<StoreHolding> merged;
        // Why the write did not reach the disk; absent when it did.
        std::optional<QString> problem;
        // The write did not get its turn because another writer held it.
        bool busy = false;
    };

    explicit StoreKeeper(std::unique_ptr<QSettings> store, QObject* parent = nullptr);
    ~StoreKeeper() override;

    // Reads the store as it is; what read is remembered as stored.
    Loaded load();
    // Keeps each stored value that did not read whole under a key of its own, before anything
    // is written over it.
    std::optional<QString> keepUnreadable(std::chrono::milliseconds limit);
    // Writes the changes to `which` onto the store as it is now, waiting at most `limit` for the
    // turn: what other writers stored meanwhile stays.
    Written write(const StoreChanges& changes, StoreLists which, std::chrono::milliseconds limit);

    // The program is quitting: a wait for the turn under way (callable from any thread) or to
    // come gives up, until writeLast().
    void giveUpWaiting() { m_givingUp = true; }
    // The last write before the program ends, which waits again, up to `limit`. Changes that
    // could not be written then are kept aside for the next start.
    Written writeLast(const StoreChanges& changes, StoreLists which,
                      std::chrono::milliseconds limit);

    // The kept-aside changes that load() read are being carried by this program's writes: the
    // file goes once a write of all their lists reached the disk.
    void carryKeptAside(StoreLists which) { m_carrying = which; }
    // The store's file, and where changes are kept aside: beside it.
    QString storePath() const { return m_store.fileName(); }
    QString keptAsidePath() const;

private:
    // Waits for the turn in short tries, so that giveUpWaiting() ends a wait.
    std::unique_ptr<StoreLock> takeTurn(std::chrono::milliseconds limit);
    void restoreVanished();
    bool keepAside(const StoreChanges& changes, StoreLists which);
    std::optional<KeptAside> readKeptAside() const;

    QSettings& m_store; // owned as a child, so that it moves to the keeper's thread with it
    StoreHolding m_stored;
    StoreLists m_carrying;
    std::atomic<bool> m_givingUp = false;
};
