#include "State/AppState.h"

#include <QMetaObject>

#include <algorithm>

AppState::AppState(std::unique_ptr<QSettings> store, QObject* parent)
    : AppState(std::move(store), StoreWork::onCallersThread, parent) {}

AppState::AppState(std::unique_ptr<QSettings> store, StoreWork work, QObject* parent)
    : QObject(parent)
    , m_keeper(std::make_unique<StoreKeeper>(std::move(store))) {
    m_sendLogSave.setSingleShot(true);
    m_sendLogSave.setInterval(std::chrono::seconds(1));
    connect(&m_sendLogSave, &QTimer::timeout, this, &AppState::persistSendLog);
    m_statusResetTimer.setSingleShot(true);
    m_statusResetTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_statusResetTimer, &QTimer::timeout, this, [this] {
        if (std::holds_alternative<SendStatuses::Sent>(m_sendStatus))
            setSendStatus(SendStatuses::Idle{});
    });
    // Reading takes no turn: it is a plain read of one local file.
    const StoreKeeper::Loaded loaded = m_keeper->load();
    m_machines = loaded.holding.machines;
    m_selectedMachineID = loaded.holding.selection;
    m_opensOnLaunch = loaded.openOnLaunch;
    setStoreProblem(loaded.problem);
    if (work == StoreWork::onItsOwnThread) {
        m_storeThread = std::make_unique<QThread>();
        m_storeThread->setObjectName(QStringLiteral("Bobbinlark store"));
        m_keeper->moveToThread(m_storeThread.get());
        m_storeThread->start();
    }

    // Records that read are used; a value that did not read whole is kept aside at once.
    if (!loaded.whole) {
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
    // A log that reads is assigned through the setter, which writes it back at once.
    if (loaded.sendLogToWrite)
        setSendLog(loaded.holding.sendLog);
}

AppState::~AppState() {
    if (!m_storeThread) {
        if (m_sendLogUnsaved)
            persistSendLog();
        return;
    }
    // A write still waiting for its turn is outdated by the last one, which carries everything
    // held here and waits only briefly: quitting must not hang on another writer.
    m_keeper->giveUpWaiting();
    StoreLists which = m_writing;
    which |= m_writeWanted;
    which.sendLog = which.sendLog || m_sendLogUnsaved;
    if (which.any()) {
        const StoreHolding ours{m_machines, m_selectedMachineID, m_sendLog};
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

std::optional<SavedMachine> AppState::savedMachine(const QUuid& id) const {
    for (const SavedMachine& machine : m_machines) {
        if (machine.id == id)
            return machine;
    }
    return std::nullopt;
}

std::optional<SavedMachine> AppState::selectedMachine() const {
    if (m_selectedMachineID) {
        if (auto selected = savedMachine(*m_selectedMachineID))
            return selected;
    }
    if (m_machines.isEmpty())
        return std::nullopt;
    return m_machines.first();
}

SavedMachine AppState::addMachine(const SavedMachine& machine) {
    m_machines.append(machine);
    emit machinesChanged();
    setSelectedMachineID(machine.id);

    m_discovered.removeIf([&](const MachineInfo& info) { return matches(info, machine); });
    emit discoveredChanged();

    persist();
    return machine;
}

void AppState::updateMachine(const SavedMachine& machine) {
    const auto found =
        std::find_if(m_machines.begin(), m_machines.end(),
                     [&](const SavedMachine& saved) { return saved.id == machine.id; });
    if (found == m_machines.end())
        return;
    *found = machine;
    emit machinesChanged();
    persist();
}

void AppState::removeMachine(const SavedMachine& machine) {
    m_machines.removeIf([&](const SavedMachine& saved) { return saved.id == machine.id; });
    emit machinesChanged();
    m_reachability.remove(machine.id);
    emit reachabilityChanged();
    m_machineInfo.remove(machine.id);
    emit machineInfoChanged();

    if (m_selectedMachineID == machine.id) {
        setSelectedMachineID(m_machines.isEmpty() ? std::nullopt
                                                  : std::optional(m_machines.first().id));
    }
    persist();
}

void AppState::selectMachine(const SavedMachine& machine) {
    setSelectedMachineID(machine.id);
    persist();
}

Reachability AppState::reachabilityOf(const QUuid& id) const {
    return m_reachability.value(id, Reachability::unknown);
}

void AppState::setSendStatus(const SendStatus& status) {
    if (m_sendStatus == status)
        return;
    m_sendStatus = status;
    emit sendStatusChanged();
}

void AppState::setSendLog(const QList<SendLogEntry>& log) {
    if (m_sendLog != log) {
        m_sendLog = log;
        emit sendLogChanged();
    }
    persistSendLog();
}

bool AppState::matches(const MachineInfo& info, const SavedMachine& machine) {
    if (info.machineID && machine.machineID)
        return *info.machineID == *machine.machineID;
    return info.host.toLower() == machine.host.toLower() && info.port == machine.port;
}

void AppState::persistSendLog() {
    // Whatever waited to be written goes now.
    m_sendLogUnsaved = false;
    m_sendLogSave.stop();
    requestWrite({.sendLog = true});
}

void AppState::requestWrite(StoreLists which) {
    m_writeWanted |= which;
    if (!m_writing.any())
        startWrite();
}

void AppState::startWrite() {
    const StoreLists which = std::exchange(m_writeWanted, {});
    const StoreHolding ours{m_machines, m_selectedMachineID, m_sendLog};
    if (!m_storeThread) {
        takeWritten(m_keeper->write(ours, which, m_storeWaitLimit), which);
        return;
    }
    m_writing = which;
    // The outcome comes back as a value. This object outlives the thread (its destructor ends
    // it), and an answer still queued when it goes is dropped with it.
    QMetaObject::invokeMethod(
        m_keeper.get(), [this, keeper = m_keeper.get(), ours, which, limit = m_storeWaitLimit] {
            const StoreKeeper::Written written = keeper->write(ours, which, limit);
            QMetaObject::invokeMethod(this, [this, written, which] {
                m_writing = {};
                takeWritten(written, which);
            });
        });
}

void AppState::takeWritten(const StoreKeeper::Written& written, StoreLists which) {
    setStoreProblem(written.problem);
    // A list changed here since the write took its snapshot keeps the newer change; the next
    // write merges it and brings the stored list back.
    if (written.merged && which.machines && !m_writeWanted.machines) {
        if (m_machines != written.merged->machines) {
            m_machines = written.merged->machines;
            emit machinesChanged();
        }
        setSelectedMachineID(written.merged->selection);
    }
    if (written.merged && which.sendLog && !m_writeWanted.sendLog &&
        m_sendLog != written.merged->sendLog) {
        m_sendLog = written.merged->sendLog;
        emit sendLogChanged();
    }
    if (m_writeWanted.any() && !m_writing.any())
        startWrite();
    emit storeWritten();
}

void AppState::setStoreProblem(const std::optional<QString>& problem) {
    // Every failed write is said where the user looks: in the drop zone, or in the summary of
    // the batch under way.
    if (problem && m_isDrainingQueue)
        m_batchStoreProblem = problem;
    else if (problem)
        showError(*problem);
    if (m_storeProblem == problem)
        return;
    m_storeProblem = problem;
    if (problem)
        qWarning("Bobbinlark: %s", qUtf8Printable(*problem));
    emit storeProblemChanged();
}

void AppState::setSelectedMachineID(const std::optional<QUuid>& id) {
    if (m_selectedMachineID == id)
        return;
    m_selectedMachineID = id;
    emit selectedMachineIDChanged();
}

void AppState::setReachability(const QUuid& id, Reachability value) {
    m_reachability.insert(id, value);
    emit reachabilityChanged();
}
