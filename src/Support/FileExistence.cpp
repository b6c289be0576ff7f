#include "Support/FileExistence.h"

#include <QFileInfo>

#include <condition_variable>
#include <mutex>

struct FileExistence::Pending {
    std::mutex mutex;
    std::condition_variable condition;
    bool done = false;
    bool exists = false;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

FileExistence::FileExistence(Probe probe, QObject* parent)
    : QObject(parent)
    , m_probe(std::move(probe)) {
    // A few stuck stats leave room for the others.
    m_pool.setMaxThreadCount(8);
    m_pool.setObjectName(QStringLiteral("FileExistence"));
}

FileExistence::~FileExistence() = default;

FileExistence& FileExistence::shared() {
    static FileExistence* instance = new FileExistence;
    return *instance;
}

bool FileExistence::statExists(const QString& path) {
    return QFileInfo::exists(path);
}

std::optional<bool> FileExistence::known(const QString& path) const {
    const auto found = m_entries.constFind(path);
    return found == m_entries.constEnd() ? std::nullopt : found->known;
}

std::optional<bool> FileExistence::check(const QString& path, std::chrono::milliseconds patience) {
    Entry& entry = m_entries[path];
    std::shared_ptr<Pending> pending = entry.running;
    if (pending) {
        std::unique_lock lock(pending->mutex);
        if (pending->done) {
            // Answered since: ask afresh below.
            entry.known = pending->exists;
            lock.unlock();
            entry.running.reset();
            pending.reset();
        }
    }
    if (!pending) {
        pending = std::make_shared<Pending>();
        entry.running = pending;
        m_pool.start([this, path, pending, probe = m_probe] {
            const bool exists = probe(path);
            {
                std::lock_guard lock(pending->mutex);
                pending->done = true;
                pending->exists = exists;
            }
            pending->condition.notify_all();
            // Delivered on this object's thread.
            QMetaObject::invokeMethod(
                this, [this, path, pending] { deliver(path, pending); }, Qt::QueuedConnection);
        });
    }
    // A stat still out is waited for only until it is `patience` old, however many ask: one
    // stuck on a dead mount costs its askers that once, then nothing (no pile of stats either).
    const auto deadline = pending->started + patience;
    std::unique_lock lock(pending->mutex);
    if (!pending->condition.wait_until(lock, deadline, [&] { return pending->done; }))
        return entry.known;
    // `entry` is still valid: nothing touched the map while this thread waited.
    entry.known = pending->exists;
    lock.unlock();
    entry.running.reset();
    return entry.known;
}

void FileExistence::deliver(const QString& path, const std::shared_ptr<Pending>& pending) {
    const auto found = m_entries.find(path);
    // Taken by the asker already, or a later stat stands for this path now.
    if (found == m_entries.end() || found->running != pending)
        return;
    found->running.reset();
    const bool changed = found->known != pending->exists;
    found->known = pending->exists;
    if (changed)
        emit answered(path, pending->exists);
}
