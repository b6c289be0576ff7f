#include "AppState.h"

#include "Support/JsonFields.h"
#include "Support/SettingsStore.h"

#include <algorithm>

AppState::AppState(std::unique_ptr<QSettings> store, QObject* parent)
    : QObject(parent)
    , m_store(std::move(store)) {
    m_statusResetTimer.setSingleShot(true);
    m_statusResetTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_statusResetTimer, &QTimer::timeout, this, [this] {
        if (std::holds_alternative<SendStatuses::Sent>(m_sendStatus))
            setSendStatus(SendStatuses::Idle{});
    });
    m_machines = loadMachines(*m_store);

    const QVariant selection = m_store->value(SettingsStore::selectedMachineKey);
    if (selection.typeId() == QMetaType::QString)
        m_selectedMachineID = JsonFields::parseUuid(selection.toString());

    // A log that decodes is assigned through the setter, which writes it back at once; one
    // that does not stays in the store untouched until the log next changes.
    const QVariant log = m_store->value(SettingsStore::recentSendsKey);
    if (log.typeId() == QMetaType::QByteArray) {
        if (auto entries = SendLogEntry::decodeList(log.toByteArray()))
            setSendLog(*entries);
    }
}

AppState::~AppState() = default;

QList<SavedMachine> AppState::loadMachines(QSettings& store) {
    const QVariant stored = store.value(SettingsStore::machinesKey);
    if (stored.typeId() != QMetaType::QByteArray)
        return {};
    return SavedMachine::decodeList(stored.toByteArray()).value_or(QList<SavedMachine>{});
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

void AppState::persist() {
    m_store->setValue(SettingsStore::machinesKey, SavedMachine::encodeList(m_machines));
    if (m_selectedMachineID)
        m_store->setValue(SettingsStore::selectedMachineKey,
                          JsonFields::uuidText(*m_selectedMachineID));
    else
        m_store->remove(SettingsStore::selectedMachineKey);
    m_store->sync();
}

void AppState::persistSendLog() {
    m_store->setValue(SettingsStore::recentSendsKey, SendLogEntry::encodeList(m_sendLog));
    m_store->sync();
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
