#pragma once

#include "Models/SavedMachine.h"
#include "Models/SendLogEntry.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QUuid>

// Three-way merging of the stored lists: what one writer changed since the list it started from
// (its base), put onto the list as it is now (another writer's, or what a write left on disk).
// Records are told apart by id.
namespace ListMerge {

template <typename T>
struct Changes {
    QList<T> added; // in list order
    QHash<QUuid, T> changed;
    QSet<QUuid> removed;

    bool isEmpty() const { return added.isEmpty() && changed.isEmpty() && removed.isEmpty(); }
};

template <typename T>
Changes<T> changesBetween(const QList<T>& base, const QList<T>& after) {
    QHash<QUuid, T> old;
    for (const T& record : base)
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
    for (const T& record : base) {
        if (!present.contains(record.id))
            changes.removed.insert(record.id);
    }
    return changes;
}

// `current` with the changes applied: records others added stay, records removed go, records
// changed or added are the changer's. `fresh` holds additions not in `current`, for the caller
// to place where its list keeps new records.
template <typename T>
struct Merged {
    QList<T> kept;
    QList<T> fresh;
};

template <typename T>
Merged<T> applied(const Changes<T>& changes, const QList<T>& current) {
    QHash<QUuid, T> ours = changes.changed;
    for (const T& record : changes.added)
        ours.insert(record.id, record);
    Merged<T> merged;
    QSet<QUuid> currentIDs;
    for (const T& record : current) {
        currentIDs.insert(record.id);
        if (!changes.removed.contains(record.id))
            merged.kept.append(ours.value(record.id, record));
    }
    for (const T& record : changes.added) {
        if (!currentIDs.contains(record.id))
            merged.fresh.append(record);
    }
    return merged;
}

// New machines go last, as they are added.
inline QList<SavedMachine> machines(const QList<SavedMachine>& base,
                                    const QList<SavedMachine>& ours,
                                    const QList<SavedMachine>& current) {
    const Merged<SavedMachine> merged = applied(changesBetween(base, ours), current);
    return merged.kept + merged.fresh;
}

// New entries lead; one entry per file and at most `limit`, as for a single writer.
inline QList<SendLogEntry> sendLog(const QList<SendLogEntry>& base, const QList<SendLogEntry>& ours,
                                   const QList<SendLogEntry>& current, qsizetype limit) {
    Merged<SendLogEntry> merged = applied(changesBetween(base, ours), current);
    QSet<QUrl> freshFiles;
    for (const SendLogEntry& entry : merged.fresh)
        freshFiles.insert(SendLogEntry::standardized(entry.fileURL));
    merged.kept.removeIf([&](const SendLogEntry& entry) {
        return freshFiles.contains(SendLogEntry::standardized(entry.fileURL));
    });
    QList<SendLogEntry> log = merged.fresh + merged.kept;
    if (!merged.fresh.isEmpty() && log.size() > limit)
        log.resize(limit);
    return log;
}

// A selection the writer did not change is whatever is current.
inline std::optional<QUuid> selection(const std::optional<QUuid>& base,
                                      const std::optional<QUuid>& ours,
                                      const std::optional<QUuid>& current) {
    return ours != base ? ours : current;
}

} // namespace ListMerge
