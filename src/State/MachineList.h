#pragma once

#include "Models/SavedMachine.h"
#include "State/StoreKeeper.h"

#include <QList>
#include <QObject>
#include <QUuid>

#include <optional>

class StateStore;

// The saved machines and which one designs go to. Every change is written to the store at once,
// onto what other writers stored meanwhile; what a write leaves on disk comes back here.
class MachineList : public QObject {
    Q_OBJECT

public:
    // Starts with the machines and selection the store read.
    explicit MachineList(StateStore& store, QObject* parent = nullptr);

    const QList<SavedMachine>& machines() const { return m_machines; }
    const std::optional<QUuid>& selectedMachineID() const { return m_selectedMachineID; }
    // The selected machine, else the first one; absent only without machines.
    std::optional<SavedMachine> selectedMachine() const;
    // The first saved machine with that id, as saved now.
    std::optional<SavedMachine> savedMachine(const QUuid& id) const;

    // Adds the machine and selects it.
    SavedMachine addMachine(const SavedMachine& machine);
    void updateMachine(const SavedMachine& machine);
    void removeMachine(const SavedMachine& machine);
    void selectMachine(const SavedMachine& machine);

    // The list and selection with the stored ones they were last merged with, for a write.
    void addTo(StoreChanges& changes) const;

signals:
    void machinesChanged();
    void selectedMachineIDChanged();
    // Emitted before the change is written, so that what is known of the machine follows it.
    void machineAdded(const SavedMachine& machine);
    void machineRemoved(const QUuid& id);

private:
    void persist();
    void takeMerged(const StoreHolding& merged, StoreLists which, const StoreHolding& sent);
    void setSelectedMachineID(const std::optional<QUuid>& id);

    StateStore& m_store;
    QList<SavedMachine> m_machines;
    std::optional<QUuid> m_selectedMachineID;
    // As stored when last read or written: what differs from it is this program's change.
    QList<SavedMachine> m_baseMachines;
    std::optional<QUuid> m_baseSelection;
};
