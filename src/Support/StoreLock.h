#pragma once

#include <QLockFile>
#include <QSettings>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

// Writers of one settings file take turns: the program, the tool, several tools at once. Held
// around re-reading a stored list, changing it and writing it back, so that every writer sees
// the records the others wrote before it writes its own, and none is lost. A writer that does
// not get its turn writes nothing: writing around the lock would lose another's records.
class StoreLock {
public:
    // How long to wait for a turn. A holder that died leaves a lock that is taken over at once.
    static constexpr std::chrono::milliseconds waitLimit{10000};

    // Waits for the turn, then re-reads the store. Takes no turn when the store cannot be used
    // (SettingsStore::problem) or the turn did not come within `limit`.
    explicit StoreLock(QSettings& store, std::chrono::milliseconds limit = waitLimit);
    // Gives up the turn. Writes nothing: what was set and not committed stays unwritten.
    ~StoreLock();

    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // Whether this writer has its turn; problem() says why not.
    bool acquired() const { return m_acquired; }
    // Writes the store, and checks that the file now holds the write. False, with problem()
    // set, when it does not (a full or read-only disk, a file that cannot be replaced).
    bool commit();
    const std::optional<QString>& problem() const { return m_problem; }
    // Whether the turn did not come in time (another writer holds it), as opposed to a store
    // that cannot be used.
    bool busy() const { return m_busy; }

    // The lock file that stands for the turn, next to the settings file.
    static QString lockPath(const QSettings& store);

private:
    QSettings& m_store;
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
    bool m_committed = false;
    bool m_busy = false;
    std::optional<QString> m_problem;
};
