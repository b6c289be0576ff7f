#include "Support/StoreLock.h"

#include "Support/SettingsStore.h"

#include <QCoreApplication>
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

// The file as it is on disk: which file, and when it was last written. Qt replaces the file on
// every write it makes, so a write that happened shows as another file.
struct FileIdentity {
    bool regular = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};

    static FileIdentity of(const QString& path) {
        struct stat status {};
        if (::stat(QFile::encodeName(path).constData(), &status) != 0)
            return {};
        return {S_ISREG(status.st_mode), status.st_dev, status.st_ino, status.st_mtim};
    }

    bool sameAs(const FileIdentity& other) const {
        return regular == other.regular && device == other.device && inode == other.inode &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

} // namespace

QString StoreLock::lockPath(const QSettings& store) {
    return store.fileName() + QStringLiteral(".writer-lock");
}

StoreLock::StoreLock(QSettings& store, std::chrono::milliseconds limit)
    : m_store(store) {
    m_problem = SettingsStore::problem(store);
    if (m_problem)
        return;
    const QString path = lockPath(store);
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path);
    // Turns last milliseconds: poll briskly rather than with QLockFile's growing sleeps, which
    // start at a tenth of a second.
    QDeadlineTimer deadline(limit);
    while (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError) {
            m_problem = QCoreApplication::translate(
                            "StoreLock", "Couldn't save your settings: %1 cannot be written.")
                            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
            return;
        }
        if (deadline.hasExpired()) {
            m_busy = true;
            m_problem = QCoreApplication::translate(
                "StoreLock", "Couldn't save your settings: another program kept them busy. Try "
                             "again.");
            return;
        }
        QThread::msleep(2);
    }
    m_lock = std::move(lock);
    // Checked again under the turn: the store may have changed while we waited.
    m_problem = SettingsStore::problem(store);
    if (m_problem)
        return;
    m_acquired = true;
    m_store.sync();
}

StoreLock::~StoreLock() {
    if (m_committed)
        waitUntilLaterWritesLookNewer(m_store.fileName());
}

bool StoreLock::commit() {
    if (!m_acquired)
        return false;
    // A lock file Qt would wait on for good, or a store that is no longer a file, fails the
    // write before Qt touches it.
    m_problem = SettingsStore::problem(m_store);
    if (m_problem)
        return false;
    const FileIdentity before = FileIdentity::of(m_store.fileName());
    m_store.sync();
    const FileIdentity after = FileIdentity::of(m_store.fileName());
    // QSettings::status() keeps the first error it met for good, so the file itself tells
    // whether this write reached it.
    if (!after.regular || after.sameAs(before) || m_store.status() == QSettings::FormatError) {
        m_problem = QCoreApplication::translate("StoreLock", "Couldn't save your settings to %1.")
                        .arg(QDir::toNativeSeparators(m_store.fileName()));
        return false;
    }
    m_committed = true;
    return true;
}
