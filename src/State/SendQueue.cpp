#include "State/SendQueue.h"

#include "Designs/PreviewReader.h"
#include "State/MachineList.h"
#include "State/MachineMonitor.h"
#include "State/RecentSends.h"
#include "State/StateStore.h"

#include "Designs/DesignFile.h"
#include "Designs/SizeWarning.h"
#include "Designs/StitchFileTypes.h"
#include "Networking/BrotherAPIClient.h"
#include "Networking/CertificateTrustSession.h"

#include <QCoroFuture>
#include <QCoroSignal>
#include <QFile>
#include <QFileInfo>
#include <QFutureInterface>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace {

QString cannotReadMessage(const QUrl& fileURL) {
    return SendQueue::tr("Couldn't read %1.").arg(fileURL.fileName());
}

// The design, or absent when reading it took past the deadline. The read runs on a thread of
// its own that nothing ever waits for: a file on a mount that never answers can hold only that
// thread, neither the queue nor the program's exit.
QFuture<std::optional<DesignFile::Result>> readBefore(std::chrono::milliseconds deadline,
                                                      SendQueue::DesignReader read, QUrl fileURL,
                                                      qint64 maxBytes, QObject* context) {
    struct Race {
        std::atomic<bool> settled = false;
        QFutureInterface<std::optional<DesignFile::Result>> outcome;

        void settle(std::optional<DesignFile::Result> result) {
            if (settled.exchange(true))
                return;
            outcome.reportResult(std::move(result));
            outcome.reportFinished();
        }
    };
    const auto race = std::make_shared<Race>();
    race->outcome.reportStarted();
    std::thread([race, read = std::move(read), fileURL, maxBytes] {
        race->settle(read(fileURL, maxBytes));
    }).detach();
    QTimer::singleShot(deadline, context, [race] { race->settle(std::nullopt); });
    return race->outcome.future();
}

// A design's size, from the bytes already read for its upload: measuring touches no file, so a
// disk or cache held up elsewhere never holds up the queue. The bytes are in memory, so this
// pool's one thread never waits on anything but the decode.
QCoro::Task<std::optional<StitchPreview>> measure(QByteArray bytes, QString extension) {
    static QThreadPool& pool = *[] {
        auto* single = new QThreadPool; // never destroyed: nothing waits for it at exit
        single->setMaxThreadCount(1);
        return single;
    }();
    QFuture<std::optional<StitchPreview>> decoding = QtConcurrent::run(
        &pool, [bytes, extension] { return PreviewReader::read(bytes, extension); });
    std::optional<StitchPreview> preview = co_await decoding;
    co_return preview;
}

} // namespace

SendQueue::SendQueue(MachineList& machines, MachineMonitor& monitor, RecentSends& recents,
                     StateStore& store, QObject* parent)
    : QObject(parent)
    , m_machines(machines)
    , m_monitor(monitor)
    , m_recents(recents)
    , m_store(store) {
    m_statusResetTimer.setSingleShot(true);
    m_statusResetTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_statusResetTimer, &QTimer::timeout, this, [this] {
        if (std::holds_alternative<SendStatuses::Sent>(m_sendStatus))
            setSendStatus(SendStatuses::Idle{});
    });
    connect(&m_store, &StateStore::problemReported, this, &SendQueue::reportStoreProblem);
    if (const std::optional<QString>& notice = m_store.startNotice())
        showError(*notice, true);
}

void SendQueue::setSendStatus(const SendStatus& status) {
    m_errorStays = false;
    if (m_sendStatus == status)
        return;
    m_sendStatus = status;
    emit sendStatusChanged();
}

void SendQueue::reportStoreProblem(const QString& problem) {
    // Every failed write is said where the user looks: in the drop zone, or in the summary of
    // the batch under way.
    if (m_isDrainingQueue)
        m_batchStoreProblem = problem;
    else
        showError(problem, true);
}

void SendQueue::send(const QList<QUrl>& fileURLs) {
    QList<QUrl> accepted;
    for (const QUrl& url : fileURLs) {
        if (StitchFileTypes::isSendable(url))
            accepted.append(url);
    }
    if (accepted.isEmpty()) {
        if (fileURLs.isEmpty())
            return;
        showError(tr("This file can't be sent. The machine reads %1 files.",
                     "%1 lists the extensions: .pes, .phc, .dst or .pen",
                     static_cast<int>(fileURLs.size()))
                      .arg(StitchFileTypes::displayList()));
        return;
    }
    if (!m_machines.selectedMachine()) {
        showError(tr("Add a machine first, then drop a design to send it."));
        return;
    }

    if (!m_isDrainingQueue) {
        m_batchTotal = 0;
        m_batchSent = 0;
        m_batchUploadFailures = 0;
        m_batchRefused = 0;
        m_batchFailures.clear();
        m_batchWarnings.clear();
        m_batchStoreProblem.reset();
    }
    const qsizetype refused = fileURLs.size() - accepted.size();
    if (refused > 0) {
        m_batchRefused += refused;
        m_batchFailures.append(
            tr("%n skipped (not %1)", "%1 lists the extensions", static_cast<int>(refused))
                .arg(StitchFileTypes::displayList()));
    }
    m_sendQueue.append(accepted);
    m_batchTotal += accepted.size();

    if (!m_isDrainingQueue) {
        // Marked at once so that files arriving before the loop starts join its batch; the loop
        // itself starts on the next turn of the event loop, after the caller has returned.
        m_isDrainingQueue = true;
        QTimer::singleShot(0, this, [this] { drainQueue(); });
    }
}

QCoro::Task<> SendQueue::drainQueue() {
    const QPointer<SendQueue> alive(this);
    m_isDrainingQueue = true;
    cancelStatusReset();
    QString machineName;

    for (;;) {
        const std::optional<SavedMachine> machine = m_machines.selectedMachine();
        if (m_sendQueue.isEmpty() || !machine) {
            // The batch's recent sends are stored before its summary, which says whether that
            // failed. Files handed over meanwhile join the batch.
            if (!m_store.isWritingStore())
                break;
            co_await qCoro(&m_store, &StateStore::storeWritten);
            if (!alive)
                co_return;
            continue;
        }
        const QUrl fileURL = m_sendQueue.takeFirst();
        machineName = machine->name;
        // Refused files are reported in the summary but never take a place in the progress.
        const qint64 index = m_batchSent + m_batchUploadFailures + 1;
        // Cleared with the status that names the next file, so the bar never steps back.
        m_fileProgress = 0;
        setSendStatus(SendStatuses::Sending{fileURL.fileName(), index, m_batchTotal});

        std::optional<QString> failure;
        try {
            failure = co_await send(fileURL, *machine);
        } catch (...) {
            // An exception would otherwise vanish with the task and leave the batch running
            // for good; the file fails instead, and is logged like any other failure.
            if (!alive)
                co_return;
            failure = cannotReadMessage(fileURL);
            m_recents.record(fileURL, machine->name, false, *failure);
        }
        if (!alive)
            co_return;
        if (failure) {
            m_batchFailures.append(*failure);
            ++m_batchUploadFailures;
        } else {
            ++m_batchSent;
        }
    }

    m_sendQueue.clear();
    m_fileProgress = 0;
    finishBatch(machineName);
    m_isDrainingQueue = false;
    emit batchFinished();
}

qint64 SendQueue::machineLimit(const QUuid& machineID) const {
    // A limit that is not positive is no limit reported.
    const QHash<QUuid, MachineInfo>& known = m_monitor.machineInfo();
    const auto info = known.constFind(machineID);
    return info != known.cend() && info->maxUploadBytes.value_or(0) > 0
               ? *info->maxUploadBytes
               : BrotherAPIClient::defaultMaxUploadBytes;
}

QCoro::Task<std::optional<QString>> SendQueue::send(QUrl fileURL, SavedMachine machine) {
    const QPointer<SendQueue> alive(this);
    // A limit beyond any design is capped, so a machine's claim never makes us load whatever
    // file we are given.
    const qint64 machineMaxBytes = machineLimit(machine.id);
    const qint64 maxBytes = std::min(machineMaxBytes, DesignFile::sendLimit);

    // Read off the GUI thread: the panel stays live whatever the file or the disk does.
    // Started outside the co_await: g++ 12 destroys temporaries of a co_await expression twice.
    QFuture<std::optional<DesignFile::Result>> reading =
        readBefore(m_readDeadline, m_readDesign, fileURL, maxBytes, this);
    std::optional<DesignFile::Result> read = co_await reading;
    if (!alive)
        co_return std::nullopt;
    if (!read) {
        const QString failure =
            tr("Couldn't read %1: its disk did not answer.").arg(fileURL.fileName());
        m_recents.record(fileURL, machine.name, false, failure);
        co_return failure;
    }
    DesignFile::Result design = std::move(*read);

    std::optional<QString> failure;
    std::optional<QString> warning;
    if (QByteArray* data = std::get_if<QByteArray>(&design)) {
        // The size is worked out while the upload runs, so it costs the batch no time; with no
        // area to compare it with, the design is not even looked at.
        std::optional<QCoro::Task<std::optional<StitchPreview>>> measuring;
        if (knowsArea(machine.id))
            measuring.emplace(measure(*data, StitchFileTypes::extensionOf(fileURL)));
        m_recents.noteSending(fileURL, machine.name);
        BrotherAPIClient client(machine.host, machine.port, CertificateTrustSession::shared());
        const QByteArray announcedName = QFile::encodeName(QFileInfo(fileURL.path()).fileName());
        // The connection outlives this object if it goes first.
        const BrotherAPIClient::Progress progress = [alive](qint64 taken, qint64 total) {
            if (alive)
                alive->setFileProgress(total > 0 ? double(taken) / double(total) : 0);
        };
        const std::optional<BrotherAPIError> error = co_await client.upload(
            std::move(*data), announcedName, maxBytes,
            std::chrono::duration<double>(m_uploadTimeout).count(), progress);
        // Awaited whatever happened, so the measuring never outlives this send.
        std::optional<StitchPreview> preview;
        if (measuring)
            preview = co_await *measuring;
        if (!alive)
            co_return std::nullopt;
        if (error)
            failure = error->errorDescription();
        else if (preview && m_monitor.machineInfo().contains(machine.id))
            warning = SizeWarning::text(fileURL.fileName(), preview->sizeMM(), machine.name,
                                        m_monitor.machineInfo().value(machine.id));
        // A machine removed while its upload ran keeps no run-time entry.
        if (m_machines.savedMachine(machine.id) && (!error || error->isUnreachable()))
            m_monitor.setReachability(machine.id,
                                      error ? Reachability::unreachable : Reachability::reachable);
    } else if (std::holds_alternative<DesignFile::TooLarge>(design)) {
        failure = maxBytes < machineMaxBytes
                      ? DesignFile::overSendLimitMessage()
                      : BrotherAPIError::tooLarge(maxBytes).errorDescription();
    } else {
        failure = cannotReadMessage(fileURL);
    }

    if (!failure) {
        if (warning)
            m_batchWarnings.append(*warning);
        m_recents.record(fileURL, machine.name, true, tr("Sent to %1").arg(machine.name), warning);
        co_return std::nullopt;
    }
    m_recents.record(fileURL, machine.name, false, *failure);
    co_return failure;
}

void SendQueue::setFileProgress(double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (fraction == m_fileProgress)
        return;
    m_fileProgress = fraction;
    emit fileProgressChanged();
}

void SendQueue::finishBatch(const QString& machineName) {
    // The sends went out, but their record did not: say so rather than report plain success.
    if (const std::optional<QString> problem = std::exchange(m_batchStoreProblem, std::nullopt))
        m_batchFailures.append(*problem);
    if (!m_batchFailures.isEmpty()) {
        if (m_batchSent == 0 && m_batchFailures.size() == 1) {
            setSendStatus(SendStatuses::Error{m_batchFailures.first()});
        } else {
            // Counts files, not failure entries: "Sent 2 of 7." when five were refused by type.
            const qint64 offered = m_batchSent + m_batchUploadFailures + m_batchRefused;
            setSendStatus(
                SendStatuses::Error{tr("Sent %1 of %2. %3", "%3 says what went wrong")
                                        .arg(QLocale().toString(m_batchSent),
                                             QLocale().toString(offered), m_batchFailures.last())});
        }
        return;
    }
    QString summary;
    if (m_batchSent == 1)
        summary = m_recents.sendLog().isEmpty() ? tr("%n designs", nullptr, 1)
                                                : m_recents.sendLog().first().fileURL.fileName();
    else
        summary = tr("%n designs", nullptr, static_cast<int>(m_batchSent));
    setSendStatus(SendStatuses::Sent{summary, machineName, m_batchWarnings});
    scheduleStatusReset();
}

void SendQueue::scheduleStatusReset() {
    cancelStatusReset();
    m_statusResetTimer.start(m_statusResetDelay);
}

void SendQueue::cancelStatusReset() {
    m_statusResetTimer.stop();
}

void SendQueue::dismissStatus() {
    if (std::holds_alternative<SendStatuses::Sending>(m_sendStatus))
        return;
    cancelStatusReset();
    setSendStatus(SendStatuses::Idle{});
}

void SendQueue::showError(const QString& message, bool staysUntilDismissed) {
    if (std::holds_alternative<SendStatuses::Sending>(m_sendStatus))
        return;
    cancelStatusReset();
    setSendStatus(SendStatuses::Error{message});
    m_errorStays = staysUntilDismissed;
}

void SendQueue::clearStaleError() {
    if (std::holds_alternative<SendStatuses::Error>(m_sendStatus) && !m_errorStays)
        setSendStatus(SendStatuses::Idle{});
}

bool SendQueue::knowsArea(const QUuid& machineID) const {
    const QHash<QUuid, MachineInfo>& known = m_monitor.machineInfo();
    const auto info = known.constFind(machineID);
    return info != known.cend() && info->embroideryWidthMM.value_or(0) > 0 &&
           info->embroideryHeightMM.value_or(0) > 0;
}
