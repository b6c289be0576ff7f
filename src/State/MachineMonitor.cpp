#include "State/MachineMonitor.h"

#include "State/MachineList.h"

#include <QCoroFuture>
#include <QCoroThread>
#include <QFuture>
#include <QPromise>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <coroutine>
#include <memory>

namespace {

QString defaultMachineName() {
    return MachineMonitor::tr("Brother machine", "the name of a found machine that reports none");
}

QString noNetworkMessage() {
    return MachineMonitor::tr(
        "Couldn't scan the network. Make sure you're connected to Wi-Fi or Ethernet.");
}

// The query's answer, or none as soon as `owner` is destroyed. A destroyed task cannot be
// stopped, so the query runs out on its own and its late answer is dropped.
QCoro::Task<std::optional<MachineInfo>>
untilDestroyed(QCoro::Task<std::optional<MachineInfo>> query, QPointer<QObject> owner) {
    using Answer = std::optional<MachineInfo>;
    auto promise = std::make_shared<QPromise<Answer>>();
    QFuture<Answer> settled = promise->future();
    promise->start();
    const auto settle = [promise](const Answer& answer) {
        if (promise->future().isFinished())
            return;
        promise->addResult(answer);
        promise->finish();
    };
    if (owner)
        QObject::connect(owner, &QObject::destroyed, [settle] { settle(std::nullopt); });
    else
        settle(std::nullopt);
    [](QCoro::Task<Answer> running, auto onAnswer) -> QCoro::Task<> {
        onAnswer(co_await running);
    }(std::move(query), settle);
    co_return co_await settled;
}

// Checks in flight, and checkAll() waiting for one of them to end.
struct CheckWindow {
    qsizetype running = 0;
    qsizetype endedUnseen = 0; // ended since checkAll() last looked
    std::coroutine_handle<> waiter;

    void ended() {
        --running;
        ++endedUnseen;
        if (const auto handle = std::exchange(waiter, {}))
            QTimer::singleShot(0, [handle] { handle.resume(); }); // not from inside the check
    }
};

struct CheckEnded {
    CheckWindow& window;

    bool await_ready() const noexcept { return window.endedUnseen > 0; }
    void await_suspend(std::coroutine_handle<> handle) noexcept { window.waiter = handle; }
    void await_resume() const noexcept { window.endedUnseen = 0; }
};

QCoro::Task<> runInWindow(QCoro::Task<> check, std::shared_ptr<CheckWindow> window) {
    co_await check;
    window->ended();
}

} // namespace

// Each coroutine checks after every wait that the monitor still exists: one that goes while a
// check or scan is out (as a test's does) leaves those to run out on their own.

MachineMonitor::MachineMonitor(MachineList& machines, QObject* parent)
    : QObject(parent)
    , m_machines(machines) {
    connect(&m_machines, &MachineList::machineAdded, this, &MachineMonitor::forgetDiscovered);
    connect(&m_machines, &MachineList::machineRemoved, this, &MachineMonitor::forget);
}

void MachineMonitor::forgetDiscovered(const SavedMachine& added) {
    m_discovered.removeIf([&](const MachineInfo& info) { return matches(info, added); });
    emit discoveredChanged();
}

void MachineMonitor::forget(const QUuid& removed) {
    m_reachability.remove(removed);
    emit reachabilityChanged();
    m_machineInfo.remove(removed);
    emit machineInfoChanged();
}

Reachability MachineMonitor::reachabilityOf(const QUuid& id) const {
    return m_reachability.value(id, Reachability::unknown);
}

void MachineMonitor::setReachability(const QUuid& id, Reachability value) {
    m_reachability.insert(id, value);
    emit reachabilityChanged();
}

bool MachineMonitor::matches(const MachineInfo& info, const SavedMachine& machine) {
    if (info.machineID && machine.machineID)
        return *info.machineID == *machine.machineID;
    return info.host.toLower() == machine.host.toLower() && info.port == machine.port;
}

QCoro::Task<> MachineMonitor::popoverDidOpen() {
    const QPointer<MachineMonitor> alive(this);
    co_await checkAll();
    if (!alive)
        co_return;
    const std::optional<SavedMachine> selected = m_machines.selectedMachine();
    if (m_machines.machines().isEmpty() ||
        (selected && reachabilityOf(selected->id) == Reachability::unreachable))
        co_await discover();
}

QCoro::Task<> MachineMonitor::checkAll() {
    // At most as many checks at once as the scan has probes: each holds a connection, and with
    // a thousand saved machines that never answer, all at once would run out of descriptors.
    // Every machine shows as being checked from the start; the next check starts as soon as
    // one ends.
    const QList<SavedMachine> machines = m_machines.machines();
    for (const SavedMachine& machine : machines)
        setReachability(machine.id, Reachability::checking);
    auto window = std::make_shared<CheckWindow>();
    const QPointer<MachineMonitor> alive(this);
    qsizetype next = 0;
    while (alive) {
        while (window->running < probeConcurrency && next < machines.size()) {
            ++window->running;
            runInWindow(check(machines[next++]), window);
        }
        if (window->running == 0)
            break;
        co_await CheckEnded{*window};
    }
}

QCoro::Task<> MachineMonitor::check(SavedMachine machine, QPointer<QObject> boundTo) {
    const QPointer<MachineMonitor> alive(this);
    setReachability(machine.id, Reachability::checking);
    const MachineDiscovery::Prober probe = m_discoveryEnvironment.probe;
    QCoro::Task<std::optional<MachineInfo>> query = probe(machine.host, machine.port, checkTimeout);
    std::optional<MachineInfo> info;
    if (boundTo)
        info = co_await untilDestroyed(std::move(query), boundTo);
    else
        info = co_await query;
    if (!alive)
        co_return;

    // The machine may have been removed, edited or moved while the query ran.
    const std::optional<SavedMachine> current = m_machines.savedMachine(machine.id);
    if (!current || current->host != machine.host || current->port != machine.port)
        co_return;
    if (!info) {
        setReachability(machine.id, Reachability::unreachable);
        co_return;
    }
    record(*info, *current);
}

void MachineMonitor::record(const MachineInfo& info, const SavedMachine& machine) {
    setReachability(machine.id, Reachability::reachable);
    m_machineInfo.insert(machine.id, info);
    emit machineInfoChanged();

    // First use pins the identifier and the certificate; pins are never replaced here.
    SavedMachine pinned = machine;
    if (!pinned.machineID)
        pinned.machineID = info.machineID;
    if (!pinned.fingerprint)
        pinned.fingerprint = info.certificateFingerprint;
    if (pinned != machine)
        m_machines.updateMachine(pinned);
}

bool MachineMonitor::certificateChanged(const SavedMachine& machine) const {
    const auto info = m_machineInfo.constFind(machine.id);
    return machine.fingerprint && info != m_machineInfo.cend() && info->certificateFingerprint &&
           *info->certificateFingerprint != *machine.fingerprint;
}

void MachineMonitor::trustCurrentCertificate(const SavedMachine& machine) {
    const auto info = m_machineInfo.constFind(machine.id);
    if (info == m_machineInfo.cend() || !info->certificateFingerprint)
        return;
    // Only the pin changes. The value passed in may be older than the saved record (a scan may
    // have moved the machine since the screen took it), so the saved record is the base.
    const std::optional<SavedMachine> current = m_machines.savedMachine(machine.id);
    if (!current)
        return;
    SavedMachine trusted = *current;
    trusted.fingerprint = info->certificateFingerprint;
    m_machines.updateMachine(trusted);
}

QCoro::Task<> MachineMonitor::discover() {
    if (m_isDiscovering)
        co_return;
    setIsDiscovering(true);
    setDiscoveryError(std::nullopt);
    if (!m_discovered.isEmpty()) {
        m_discovered.clear();
        emit discoveredChanged();
    }
    if (!m_relocatedMachineIDs.isEmpty()) {
        m_relocatedMachineIDs.clear();
        emit relocatedMachineIDsChanged();
    }

    const MachineDiscovery discovery(probeTimeout, probeConcurrency, m_discoveryEnvironment);
    const QPointer<MachineMonitor> alive(this);
    QCoro::Task<MachineDiscovery::ScanResult> scan = discovery.scan(
        [alive](MachineInfo info) { return foundOnOwnThread(alive, std::move(info)); });
    const MachineDiscovery::ScanResult result = co_await scan;
    if (!alive)
        co_return;

    setHasScanned(true);
    if (std::holds_alternative<MachineDiscovery::NoNetwork>(result))
        setDiscoveryError(noNetworkMessage());
    setIsDiscovering(false);
}

QCoro::Task<> MachineMonitor::foundOnOwnThread(QPointer<MachineMonitor> monitor, MachineInfo info) {
    // Probes normally end on the monitor's thread already; a prober that ends elsewhere is moved
    // there, so found() never overlaps and never races the rest of the state.
    if (!monitor)
        co_return;
    if (QThread* own = monitor->thread(); QThread::currentThread() != own)
        co_await QCoro::moveToThread(own);
    if (monitor)
        monitor->found(info);
}

void MachineMonitor::found(const MachineInfo& info) {
    const QList<SavedMachine>& machines = m_machines.machines();
    const auto matched =
        std::find_if(machines.cbegin(), machines.cend(),
                     [&](const SavedMachine& saved) { return matches(info, saved); });
    if (matched != machines.cend()) {
        SavedMachine machine = *matched;
        if (machine.host != info.host || machine.port != info.port) {
            machine.host = info.host;
            machine.port = info.port;
            m_machines.updateMachine(machine);
            m_relocatedMachineIDs.insert(machine.id);
            emit relocatedMachineIDsChanged();
        }
        record(info, machine);
        return;
    }

    const QString key = discoveredKey(info);
    const bool known =
        std::any_of(m_discovered.cbegin(), m_discovered.cend(),
                    [&](const MachineInfo& entry) { return discoveredKey(entry) == key; });
    if (known)
        return;
    m_discovered.append(info);
    emit discoveredChanged();
}

void MachineMonitor::addDiscovered(const MachineInfo& info) {
    const SavedMachine machine{QUuid::createUuid(), info.name.value_or(defaultMachineName()),
                               info.host,           info.port,
                               std::nullopt,        info.certificateFingerprint,
                               info.machineID};
    m_machines.addMachine(machine);
    record(info, machine);
}

void MachineMonitor::setDiscoveryEnvironment(MachineDiscovery::Environment environment) {
    m_discoveryEnvironment = std::move(environment);
}

QString MachineMonitor::discoveredKey(const MachineInfo& info) {
    if (info.machineID)
        return *info.machineID;
    return info.port == 443 ? info.host : info.host + u':' + QString::number(info.port);
}

void MachineMonitor::setIsDiscovering(bool value) {
    if (m_isDiscovering == value)
        return;
    m_isDiscovering = value;
    emit isDiscoveringChanged();
}

void MachineMonitor::setHasScanned(bool value) {
    if (m_hasScanned == value)
        return;
    m_hasScanned = value;
    emit hasScannedChanged();
}

void MachineMonitor::setDiscoveryError(const std::optional<QString>& value) {
    if (m_discoveryError == value)
        return;
    m_discoveryError = value;
    emit discoveryErrorChanged();
}
