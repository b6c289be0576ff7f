#include "State/StateStore.h"

#include <QMetaObject>

StateStore::StateStore(std::unique_ptr<QSettings> store, Work work, QObject* parent)
    : QObject(parent)
    , m_keeper(std::make_unique<StoreKeeper>(std::move(store))) {
    // Reading takes no turn: it is a plain read of one local file.
    m_loaded = m_keeper->load();
    setStoreProblem(m_loaded.problem);
    m_startNotice = m_loaded.problem;
    m_retry.setSingleShot(true);
    m_retry.setInterval(std::chrono::seconds(1));
    connect(&m_retry, &QTimer::timeout, this,
            [this] { requestWrite(std::exchange(m_retryWanted, {})); });
    if (work == Work::onItsOwnThread) {
        m_sendingMarkerPath = m_keeper->storePath() + QStringLiteral(".sending");
        if (m_loaded.keptAside && !m_loaded.problem) {
            m_keptAside = m_loaded.keptAside;
            m_keeper->carryKeptAside(m_keptAside->which);
            m_startNotice = tr("Bobbinlark couldn't save your last changes when it quit, as "
                               "another program was writing your settings. They were kept and "
                               "are saved now.");
        }
        m_storeThread = std::make_unique<QThread>();
        m_storeThread->setObjectName(QStringLiteral("Bobbinlark store"));
        m_keeper->moveToThread(m_storeThread.get());
        m_storeThread->start();
    }

    // Records that read are used; a value that did not read whole is kept aside at once.
    if (!m_loaded.whole) {
        const auto keepAside = [keeper = m_keeper.get(), limit = m_storeWaitLimit] {
            return keeper->keepUnreadable(limit);
        };
        if (!m_storeThread) {
            setStoreProblem(keepAside());
        } else {
            QMetaObject::invokeMethod(m_keeper.get(), [this, keepAside] {
                const std::optional<QString> problem = keepAside();
                QMetaObject::invokeMethod(this, [this, problem] { setStoreProblem(problem); });
            });
        }
    }
}

StateStore::~StateStore() {
    finish();
}

void StateStore::finish() {
    // Writing on the caller's thread, every change has been written (or failed) already.
    if (std::exchange(m_finished, true) || !m_storeThread)
        return;
    // A write still waiting for its turn is outdated by the last one, which carries everything
    // held here and waits only briefly: quitting must not hang on another writer.
    m_keeper->giveUpWaiting();
    StoreLists which = m_writing;
    which |= m_writeWanted;
    which |= m_retryWanted;
    if (which.any() && m_snapshot) {
        const StoreChanges ours = m_snapshot();
        QMetaObject::invokeMethod(
            m_keeper.get(),
            [keeper = m_keeper.get(), ours, which] {
                keeper->writeLast(ours, which, lastWriteLimit);
            },
            Qt::BlockingQueuedConnection);
    }
    // Ends the thread's loop after whatever was handed to it before (keeping an unreadable value
    // aside), rather than at once.
    QMetaObject::invokeMethod(m_keeper.get(), [thread = m_storeThread.get()] { thread->quit(); });
    m_storeThread->wait();
}

void StateStore::requestWrite(StoreLists which) {
    m_writeWanted |= which;
    if (!m_writing.any())
        startWrite();
}

void StateStore::startWrite() {
    // Without the owners' lists nothing is written: an empty snapshot would remove them all.
    if (!m_snapshot)
        return;
    const StoreLists which = std::exchange(m_writeWanted, {});
    const StoreChanges ours = m_snapshot();
    if (!m_storeThread) {
        takeWritten(m_keeper->write(ours, which, m_storeWaitLimit), which, ours);
        return;
    }
    m_writing = which;
    // The outcome comes back as a value. This object outlives the thread (finish() ends it),
    // and an answer still queued when it goes is dropped with it.
    QMetaObject::invokeMethod(
        m_keeper.get(), [this, keeper = m_keeper.get(), ours, which, limit = m_storeWaitLimit] {
            const StoreKeeper::Written written = keeper->write(ours, which, limit);
            QMetaObject::invokeMethod(this, [this, written, which, ours] {
                m_writing = {};
                takeWritten(written, which, ours);
            });
        });
}

void StateStore::takeWritten(const StoreKeeper::Written& written, StoreLists which,
                             const StoreChanges& sent) {
    setStoreProblem(written.problem);
    // Only what reached the disk becomes the owners' base; otherwise their changes since the
    // last base go out again with the next write.
    if (written.merged && !written.problem)
        emit merged(*written.merged, which, sent.ours);
    if (!written.merged && written.busy) {
        m_retryWanted |= which;
        m_retry.start();
    }
    if (m_writeWanted.any() && !m_writing.any())
        startWrite();
    emit storeWritten();
}

void StateStore::setStoreProblem(const std::optional<QString>& problem) {
    // Every failed write is said where the user looks, not only the first of a kind.
    if (problem)
        emit problemReported(*problem);
    if (m_storeProblem == problem)
        return;
    m_storeProblem = problem;
    if (problem)
        qWarning("Bobbinlark: %s", qUtf8Printable(*problem));
    emit storeProblemChanged();
}
