#include "Support/StoreLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/stat.h>
#include <time.h>

namespace {

qint64 milliseconds(const timespec& time) {
    return static_cast<qint64>(time.tv_sec) * 1000 + time.tv_nsec / 1'000'000;
}

// QSettings re-reads its file only when the size or the modification time (in milliseconds)
// changed since it last read it. A later writer's file of the same size stamped within the same
// millisecond would go unseen, so the turn is kept until the clock the file system stamps with
// has moved past our write. That is at most one tick of the kernel's coarse clock.
void waitUntilLaterWritesLookNewer(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return;
    const qint64 written = milliseconds(status.st_mtim);
    for (int attempt = 0; attempt < 100; ++attempt) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (milliseconds(now) > written)
            return;
        QThread::usleep(500);
    }
}

} // namespace

QString StoreLock::lockPath(const QSettings& store) {
    return store.fileName() + QStringLiteral(".writer-lock");
}

StoreLock::StoreLock(QSettings& store)
    : m_store(store) {
    const QString path = lockPath(store);
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path);
    // Turns last milliseconds: poll briskly rather than with QLockFile's growing sleeps, which
    // start at a tenth of a second.
    QDeadlineTimer deadline(waitLimit);
    while (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            break; // no lock file can be made here; the write will fail alike
        if (deadline.hasExpired()) {
            // Held far longer than any write takes: write anyway rather than drop the change.
            qWarning("Bobbinlark: the settings file stayed locked; writing without waiting");
            break;
        }
        QThread::msleep(2);
    }
    if (lock->isLocked())
        m_lock = std::move(lock);
    m_store.sync();
}

StoreLock::~StoreLock() {
    m_store.sync();
    if (m_lock)
        waitUntilLaterWritesLookNewer(m_store.fileName());
}
