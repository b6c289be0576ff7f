#include "State/StoreKeeper.h"

#include "Support/JsonFields.h"
#include "Support/SettingsStore.h"
#include "Support/StoreLock.h"

#include <QDeadlineTimer>

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

// Turns last milliseconds: a wait is tried in slices this long, so that it can be given up.
constexpr std::chrono::milliseconds turnSlice{100};

} // namespace

StoreKeeper::StoreKeeper(std::unique_ptr<QSettings> store, QObject* parent)
    : QObject(parent)
    , m_store(*store.release()) {
    m_store.setParent(this);
}

StoreKeeper::~StoreKeeper() = default;

StoreKeeper::Loaded StoreKeeper::load() {
    const StoredList<SavedMachine> machines =
        readList<SavedMachine>(m_store, SettingsStore::machinesKey);
    const StoredList<SendLogEntry> log =
        readList<SendLogEntry>(m_store, SettingsStore::recentSendsKey);
    Loaded loaded;
    loaded.holding = {machines.records, readSelection(m_store), log.records};
    loaded.whole = machines.whole && log.whole;
    loaded.problem = SettingsStore::problem(m_store);
    // A log of which nothing reads stays in the store untouched until the log next changes.
    loaded.sendLogToWrite =
        m_store.contains(SettingsStore::recentSendsKey) && (log.whole || !log.records.isEmpty());
    loaded.openOnLaunch = m_store.value(SettingsStore::openOnLaunchKey).toBool();
    m_stored.machines = machines.records;
    m_stored.selection = loaded.holding.selection;
    if (loaded.sendLogToWrite)
        m_stored.sendLog = log.records;
    return loaded;
}

std::unique_ptr<StoreLock> StoreKeeper::takeTurn(std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit);
    for (;;) {
        const auto slice = std::clamp(std::chrono::milliseconds(deadline.remainingTime()),
                                      std::chrono::milliseconds(0), turnSlice);
        auto turn = std::make_unique<StoreLock>(m_store, slice);
        if (turn->acquired() || !turn->busy() || deadline.hasExpired() || m_givingUp)
            return turn;
    }
}

std::optional<QString> StoreKeeper::keepUnreadable(std::chrono::milliseconds limit) {
    const std::unique_ptr<StoreLock> turn = takeTurn(limit);
    if (turn->acquired()) {
        readKeepingUnreadable<SavedMachine>(m_store, SettingsStore::machinesKey);
        readKeepingUnreadable<SendLogEntry>(m_store, SettingsStore::recentSendsKey);
        turn->commit();
    }
    return turn->problem();
}

StoreKeeper::Written StoreKeeper::writeLast(const StoreHolding& ours, StoreLists which,
                                            std::chrono::milliseconds limit) {
    m_givingUp = false;
    return write(ours, which, limit);
}

StoreKeeper::Written StoreKeeper::write(const StoreHolding& ours, StoreLists which,
                                        std::chrono::milliseconds limit) {
    // Other processes may have written since we last read: our changes go onto what is stored
    // now, and what they wrote is kept. Without a turn nothing is written; the changes stay
    // with the caller and go out with its next write.
    const std::unique_ptr<StoreLock> turn = takeTurn(limit);
    if (!turn->acquired())
        return {std::nullopt, turn->problem()};
    restoreVanished();

    StoreHolding merged;
    if (which.machines) {
        const Merged<SavedMachine> machines =
            merge(changesBetween(m_stored.machines, ours.machines),
                  readKeepingUnreadable<SavedMachine>(m_store, SettingsStore::machinesKey));
        merged.machines = machines.kept + machines.fresh;
        m_store.setValue(SettingsStore::machinesKey, SavedMachine::encodeList(merged.machines));

        // A selection we did not change is whatever was chosen last, here or elsewhere.
        merged.selection = readSelection(m_store);
        if (ours.selection != m_stored.selection) {
            merged.selection = ours.selection;
            if (ours.selection)
                m_store.setValue(SettingsStore::selectedMachineKey,
                                 JsonFields::uuidText(*ours.selection));
            else
                m_store.remove(SettingsStore::selectedMachineKey);
        }
    }
    if (which.sendLog) {
        Merged<SendLogEntry> log =
            merge(changesBetween(m_stored.sendLog, ours.sendLog),
                  readKeepingUnreadable<SendLogEntry>(m_store, SettingsStore::recentSendsKey));
        // New entries lead; one entry per file and at most the limit, as for a single writer.
        QSet<QUrl> freshFiles;
        for (const SendLogEntry& entry : log.fresh)
            freshFiles.insert(SendLogEntry::standardized(entry.fileURL));
        log.kept.removeIf([&](const SendLogEntry& entry) {
            return freshFiles.contains(SendLogEntry::standardized(entry.fileURL));
        });
        merged.sendLog = log.fresh + log.kept;
        if (!log.fresh.isEmpty() && merged.sendLog.size() > StoreHolding::sendLogLimit)
            merged.sendLog.resize(StoreHolding::sendLogLimit);
        m_store.setValue(SettingsStore::recentSendsKey, SendLogEntry::encodeList(merged.sendLog));
    }
    if (turn->commit()) {
        if (which.machines) {
            m_stored.machines = merged.machines;
            m_stored.selection = merged.selection;
        }
        if (which.sendLog)
            m_stored.sendLog = merged.sendLog;
    }
    return {merged, turn->problem()};
}

void StoreKeeper::restoreVanished() {
    // Another writer that removes machines or sends leaves a list, if an empty one; a list that
    // is not there at all went with the file (removed or emptied from outside), which removed
    // nothing by its id. What this program last stored is put back, to merge onto as usual.
    if (!m_store.contains(SettingsStore::machinesKey) && !m_stored.machines.isEmpty()) {
        m_store.setValue(SettingsStore::machinesKey, SavedMachine::encodeList(m_stored.machines));
        if (m_stored.selection && !m_store.contains(SettingsStore::selectedMachineKey))
            m_store.setValue(SettingsStore::selectedMachineKey,
                             JsonFields::uuidText(*m_stored.selection));
    }
    if (!m_store.contains(SettingsStore::recentSendsKey) && !m_stored.sendLog.isEmpty())
        m_store.setValue(SettingsStore::recentSendsKey, SendLogEntry::encodeList(m_stored.sendLog));
}
