#pragma once

#include <QLockFile>
#include <QSettings>

#include <chrono>
#include <memory>

// Writers of one settings file take turns: the program, the tool, several tools at once. Held
// around re-reading a stored list, changing it and writing it back, so that every writer sees
// the records the others wrote before it writes its own, and none is lost.
class StoreLock {
public:
    // How long to wait for a turn. A holder that died leaves a lock that is taken over at once.
    static constexpr std::chrono::milliseconds waitLimit{10000};

    // Waits for the turn, then re-reads the store.
    explicit StoreLock(QSettings& store);
    // Writes the store and gives up the turn.
    ~StoreLock();

    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // The lock file that stands for the turn, next to the settings file.
    static QString lockPath(const QSettings& store);

private:
    QSettings& m_store;
    std::unique_ptr<QLockFile> m_lock; // null when no lock file could be made
};
