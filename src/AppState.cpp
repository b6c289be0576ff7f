#include "AppState.h"

#include "Support/JsonFields.h"
#include "Support/SettingsStore.h"
#include "Support/StoreLock.h"

#include <algorithm>

namespace {

// A stored list as it reads record by record.
template <typename T>
struct StoredList {
    QList<T> records;  // those that read
    bool whole = true; // false when anything stored did not read
};

template <typename T>
StoredList<T> readList(const QSettings& store, QLatin1StringView key) {
    const QVariant value = store.value(key);
    if (!value.isValid())
        return {};
    if (value.typeId() != QMetaType::QByteArray)
        return {{}, false};
    JsonFields::ArrayRead<T> read = JsonFields::decodeEach<T>(value.toByteArray());
    return {std::move(read.items), read.whole};
}

// A stored value that did not read whole is kept exactly as it is under a key of its own before
// anything overwrites it, so that a person or a later version can still recover what we could
// not read. Each distinct value is kept once.
void keepUnreadable(QSettings& store, QLatin1StringView key) {
    const QVariant value = store.value(key);
    const QString base = key + QStringLiteral(".unreadable");
    for (int n = 1;; ++n) {
        const QString keptKey = n == 1 ? base : base + u'.' + QString::number(n);
        const QVariant kept = store.value(keptKey);
        if (kept == value)
            return;
        if (!kept.isValid()) {
            store.setValue(keptKey, value);
            qWarning("Bobbinlark: some of %s could not be read; it is kept as it was under %s",
                     qUtf8Printable(key), qUtf8Printable(keptKey));
            return;
        }
    }
}

// The records of a stored list that read; the value is kept aside first when some did not.
template <typename T>
QList<T> readKeepingUnreadable(QSettings& store, QLatin1StringView key) {
    StoredList<T> list = readList<T>(store, key);
    if (!list.whole)
        keepUnreadable(store, key);
    return std::move(list.records);
}

std::optional<QUuid> readSelection(const QSettings& store) {
    const QVariant selection = store.value(SettingsStore::selectedMachineKey);
    if (selection.typeId() != QMetaType::QString)
        return std::nullopt;
    return JsonFields::parseUuid(selection.toString());
}

// What one writer changed in a list of records (identified by id) since it last read or wrote
// the store.
template <typename T>
struct Changes {
    QList<T> added; // in list order
    QHash<QUuid, T> changed;
    QSet<QUuid> removed;
};

template <typename T>
Changes<T> changesBetween(const QList<T>& before, const QList<T>& after) {
    QHash<QUuid, T> old;
    for (const T& record : before)
        old.insert(record.id, record);
    Changes<T> changes;
    QSet<QUuid> present;
    for (const T& record : after) {
        present.insert(record.id);
        const auto found = old.constFind(record.id);
        if (found == old.cend())
            changes.added.append(record);
        else if (*found != record)
            changes.changed.insert(record.id, record);
    }
    for (const T& record : before) {
        if (!present.contains(record.id))
            changes.removed.insert(record.id);
    }
    return changes;
}

// Our changes applied to the list as it is stored now: records other writers added meanwhile
// stay, records we removed go, records we changed or added are ours. `fresh` holds our
// additions not stored yet, for the caller to place where its list keeps new records.
template <typename T>
struct Merged {
    QList<T> kept;
    QList<T> fresh;
};

template <typename T>
Merged<T> merge(const Changes<T>& changes, const QList<T>& stored) {
    QHash<QUuid, T> ours = changes.changed;
    for (const T& record : changes.added)
        ours.insert(record.id, record);
    Merged<T> merged;
    QSet<QUuid> storedIDs;
    for (const T& record : stored) {
        storedIDs.insert(record.id);
        if (!changes.removed.contains(record.id))
            merged.kept.append(ours.value(record.id, record));
    }
    for (const T& record : changes.added) {
        if (!storedIDs.contains(record.id))
            merged.fresh.append(record);
    }
    return merged;
}

} // namespace

AppState::AppState(std::unique_ptr<QSettings> store, QObject* parent)
    : QObject(parent)
    , m_store(std::move(store)) {
    m_storeRetry.setSingleShot(true);
    connect(&m_storeRetry, &QTimer::timeout, this, [this] {
        persist();
        persistSendLog();
    });
    m_sendLogSave.setSingleShot(true);
    m_sendLogSave.setInterval(std::chrono::seconds(1));
    connect(&m_sendLogSave, &QTimer::timeout, this, &AppState::persistSendLog);
    m_statusResetTimer.setSingleShot(true);
    m_statusResetTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_statusResetTimer, &QTimer::timeout, this, [this] {
        if (std::holds_alternative<SendStatuses::Sent>(m_sendStatus))
            setSendStatus(SendStatuses::Idle{});
    });
    const StoredList<SavedMachine> machines =
        readList<SavedMachine>(*m_store, SettingsStore::machinesKey);
    m_machines = m_storedMachines = machines.records;
    m_selectedMachineID = m_storedSelection = readSelection(*m_store);

    // Records that read are used; a value that did not read whole is kept aside at once.
    const StoredList<SendLogEntry> log =
        readList<SendLogEntry>(*m_store, SettingsStore::recentSendsKey);
    setStoreProblem(SettingsStore::problem(*m_store));
    if (!machines.whole || !log.whole) {
        StoreLock turn(*m_store, m_storeWaitLimit);
        if (turn.acquired()) {
            readKeepingUnreadable<SavedMachine>(*m_store, SettingsStore::machinesKey);
            readKeepingUnreadable<SendLogEntry>(*m_store, SettingsStore::recentSendsKey);
            turn.commit();
        }
        setStoreProblem(turn.problem());
    }
    // A log that reads is assigned through the setter, which writes it back at once; one of
    // which nothing reads stays in the store untouched until the log next changes.
    if (m_store->contains(SettingsStore::recentSendsKey) && (log.whole || !log.records.isEmpty())) {
        m_storedSendLog = log.records;
        setSendLog(log.records);
    }
}

AppState::~AppState() {
    if (m_sendLogUnsaved)
        persistSendLog();
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

bool AppState::startWrite(const StoreLock& turn) {
    if (!turn.acquired()) {
        if (!retryLater(turn))
            setStoreProblem(turn.problem());
        return false;
    }
    m_storeWaitingSince.invalidate();
    restoreVanished();
    return true;
}

void AppState::persist() {
    // Other processes may have written since we last read: our changes go onto what is stored
    // now, and what they wrote is kept. Without a turn nothing is written; the change stays here
    // and goes out with the next write.
    StoreLock turn(*m_store, m_storeTurnSlice.value_or(m_storeWaitLimit));
    if (!startWrite(turn))
        return;
    const Merged<SavedMachine> merged =
        merge(changesBetween(m_storedMachines, m_machines),
              readKeepingUnreadable<SavedMachine>(*m_store, SettingsStore::machinesKey));
    const QList<SavedMachine> machines = merged.kept + merged.fresh;
    m_store->setValue(SettingsStore::machinesKey, SavedMachine::encodeList(machines));

    // A selection we did not change is whatever was chosen last, here or elsewhere.
    std::optional<QUuid> selection = readSelection(*m_store);
    if (m_selectedMachineID != m_storedSelection) {
        selection = m_selectedMachineID;
        if (selection)
            m_store->setValue(SettingsStore::selectedMachineKey, JsonFields::uuidText(*selection));
        else
            m_store->remove(SettingsStore::selectedMachineKey);
    }
    const bool written = turn.commit();
    setStoreProblem(turn.problem());
    if (written) {
        m_storedMachines = machines;
        m_storedSelection = selection;
    }
    if (m_machines != machines) {
        m_machines = machines;
        emit machinesChanged();
    }
    setSelectedMachineID(selection);
}

void AppState::persistSendLog() {
    // Whatever waited to be written goes now.
    m_sendLogUnsaved = false;
    m_sendLogSave.stop();
    StoreLock turn(*m_store, m_storeTurnSlice.value_or(m_storeWaitLimit));
    if (!startWrite(turn))
        return;
    Merged<SendLogEntry> merged =
        merge(changesBetween(m_storedSendLog, m_sendLog),
              readKeepingUnreadable<SendLogEntry>(*m_store, SettingsStore::recentSendsKey));
    // New entries lead; one entry per file and at most the limit, as for a single writer.
    QSet<QUrl> freshFiles;
    for (const SendLogEntry& entry : merged.fresh)
        freshFiles.insert(SendLogEntry::standardized(entry.fileURL));
    merged.kept.removeIf([&](const SendLogEntry& entry) {
        return freshFiles.contains(SendLogEntry::standardized(entry.fileURL));
    });
    QList<SendLogEntry> log = merged.fresh + merged.kept;
    if (!merged.fresh.isEmpty() && log.size() > sendLogLimit)
        log.resize(sendLogLimit);

    m_store->setValue(SettingsStore::recentSendsKey, SendLogEntry::encodeList(log));
    const bool written = turn.commit();
    setStoreProblem(turn.problem());
    if (written)
        m_storedSendLog = log;
    if (m_sendLog != log) {
        m_sendLog = log;
        emit sendLogChanged();
    }
}

bool AppState::retryLater(const StoreLock& turn) {
    if (!m_storeTurnSlice || !turn.busy())
        return false;
    if (!m_storeWaitingSince.isValid())
        m_storeWaitingSince.start();
    if (m_storeWaitingSince.elapsed() >= m_storeWaitLimit.count()) {
        m_storeWaitingSince.invalidate();
        return false;
    }
    if (!m_storeRetry.isActive())
        m_storeRetry.start(*m_storeTurnSlice);
    return true;
}

void AppState::restoreVanished() {
    // Another writer that removes machines or sends leaves a list, if an empty one; a list that
    // is not there at all went with the file (removed or emptied from outside), which removed
    // nothing by its id. What this program last stored is put back, to merge onto as usual.
    if (!m_store->contains(SettingsStore::machinesKey) && !m_storedMachines.isEmpty()) {
        m_store->setValue(SettingsStore::machinesKey, SavedMachine::encodeList(m_storedMachines));
        if (m_storedSelection && !m_store->contains(SettingsStore::selectedMachineKey))
            m_store->setValue(SettingsStore::selectedMachineKey,
                              JsonFields::uuidText(*m_storedSelection));
    }
    if (!m_store->contains(SettingsStore::recentSendsKey) && !m_storedSendLog.isEmpty())
        m_store->setValue(SettingsStore::recentSendsKey, SendLogEntry::encodeList(m_storedSendLog));
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
