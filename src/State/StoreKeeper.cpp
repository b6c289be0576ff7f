#include "State/StoreKeeper.h"

#include "State/ListMerge.h"
#include "Support/JsonFields.h"
#include "Support/SettingsStore.h"
#include "Support/StoreLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

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
    loaded.keptAside = readKeptAside();
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

StoreKeeper::Written StoreKeeper::writeLast(const StoreChanges& changes, StoreLists which,
                                            std::chrono::milliseconds limit) {
    m_givingUp = false;
    Written written = write(changes, which, limit);
    if (written.merged)
        return written;
    // Nothing that was shown as saved may be lost to another writer holding the store.
    if (keepAside(changes, which))
        qWarning("Bobbinlark: couldn't save your settings before quitting (%s); the changes are "
                 "kept in %s and saved at the next start",
                 qUtf8Printable(written.problem.value_or(QString())),
                 qUtf8Printable(keptAsidePath()));
    else
        qWarning("Bobbinlark: couldn't save your settings before quitting (%s), nor keep the "
                 "changes in %s",
                 qUtf8Printable(written.problem.value_or(QString())),
                 qUtf8Printable(keptAsidePath()));
    return written;
}

QString StoreKeeper::keptAsidePath() const {
    return m_store.fileName() + QStringLiteral(".kept-aside");
}

namespace {

QJsonValue selectionJson(const std::optional<QUuid>& selection) {
    return selection ? QJsonValue(JsonFields::uuidText(*selection)) : QJsonValue();
}

std::optional<QUuid> selectionFrom(const QJsonValue& value) {
    return value.isString() ? JsonFields::parseUuid(value.toString()) : std::nullopt;
}

template <typename T>
QList<T> listFrom(const QJsonValue& value) {
    return JsonFields::decodeEach<T>(QJsonDocument(value.toArray()).toJson()).items;
}

template <typename T>
QJsonArray listJson(const QList<T>& list) {
    return QJsonDocument::fromJson(JsonFields::encodeArray(list)).array();
}

} // namespace

bool StoreKeeper::keepAside(const StoreChanges& changes, StoreLists which) {
    const StoreHolding& ours = changes.ours;
    const StoreHolding& base = changes.base;
    QJsonObject kept;
    if (which.machines) {
        kept.insert(QStringLiteral("machines"), listJson(ours.machines));
        kept.insert(QStringLiteral("machinesBase"), listJson(base.machines));
        kept.insert(QStringLiteral("selection"), selectionJson(ours.selection));
        kept.insert(QStringLiteral("selectionBase"), selectionJson(base.selection));
    }
    if (which.sendLog) {
        kept.insert(QStringLiteral("sendLog"), listJson(ours.sendLog));
        kept.insert(QStringLiteral("sendLogBase"), listJson(base.sendLog));
    }
    QSaveFile file(keptAsidePath());
    return file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(kept).toJson(QJsonDocument::Compact)) >= 0 && file.commit();
}

std::optional<StoreKeeper::KeptAside> StoreKeeper::readKeptAside() const {
    QFile file(keptAsidePath());
    // Only a small regular file: anything else there is not ours.
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > 64 * 1024 * 1024 || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject kept = QJsonDocument::fromJson(file.readAll()).object();
    KeptAside aside;
    if (kept.contains(QStringLiteral("machines"))) {
        aside.which.machines = true;
        StoreChanges& changes = aside.changes;
        changes.ours.machines = listFrom<SavedMachine>(kept.value(QStringLiteral("machines")));
        changes.base.machines = listFrom<SavedMachine>(kept.value(QStringLiteral("machinesBase")));
        changes.ours.selection = selectionFrom(kept.value(QStringLiteral("selection")));
        changes.base.selection = selectionFrom(kept.value(QStringLiteral("selectionBase")));
    }
    if (kept.contains(QStringLiteral("sendLog"))) {
        aside.which.sendLog = true;
        aside.changes.ours.sendLog = listFrom<SendLogEntry>(kept.value(QStringLiteral("sendLog")));
        aside.changes.base.sendLog =
            listFrom<SendLogEntry>(kept.value(QStringLiteral("sendLogBase")));
    }
    if (!aside.which.any())
        return std::nullopt;
    return aside;
}

StoreKeeper::Written StoreKeeper::write(const StoreChanges& changes, StoreLists which,
                                        std::chrono::milliseconds limit) {
    const StoreHolding& ours = changes.ours;
    const StoreHolding& base = changes.base;
    // Other processes may have written since we last read: our changes go onto what is stored
    // now, and what they wrote is kept. Without a turn nothing is written; the changes stay
    // with the caller and go out with its next write.
    const std::unique_ptr<StoreLock> turn = takeTurn(limit);
    if (!turn->acquired())
        return {std::nullopt, turn->problem(), turn->busy()};
    restoreVanished();

    StoreHolding merged;
    if (which.machines) {
        merged.machines = ListMerge::machines(
            base.machines, ours.machines,
            readKeepingUnreadable<SavedMachine>(m_store, SettingsStore::machinesKey));
        m_store.setValue(SettingsStore::machinesKey, SavedMachine::encodeList(merged.machines));

        // A selection we did not change is whatever was chosen last, here or elsewhere.
        merged.selection =
            ListMerge::selection(base.selection, ours.selection, readSelection(m_store));
        if (ours.selection != base.selection) {
            if (ours.selection)
                m_store.setValue(SettingsStore::selectedMachineKey,
                                 JsonFields::uuidText(*ours.selection));
            else
                m_store.remove(SettingsStore::selectedMachineKey);
        }
    }
    if (which.sendLog) {
        merged.sendLog = ListMerge::sendLog(
            base.sendLog, ours.sendLog,
            readKeepingUnreadable<SendLogEntry>(m_store, SettingsStore::recentSendsKey),
            StoreHolding::sendLogLimit);
        m_store.setValue(SettingsStore::recentSendsKey, SendLogEntry::encodeList(merged.sendLog));
    }
    if (turn->commit()) {
        if (which.machines) {
            m_stored.machines = merged.machines;
            m_stored.selection = merged.selection;
        }
        if (which.sendLog)
            m_stored.sendLog = merged.sendLog;
        if (m_carrying.any() && (which.machines || !m_carrying.machines) &&
            (which.sendLog || !m_carrying.sendLog)) {
            QFile::remove(keptAsidePath());
            m_carrying = {};
        }
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
