#include "State/MachineList.h"

#include "State/ListMerge.h"
#include "State/StateStore.h"

#include <algorithm>

MachineList::MachineList(StateStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_machines(store.loaded().holding.machines)
    , m_selectedMachineID(store.loaded().holding.selection)
    , m_baseMachines(m_machines)
    , m_baseSelection(m_selectedMachineID) {
    if (const auto& kept = store.keptAside(); kept && kept->which.machines) {
        const StoreChanges& changes = kept->changes;
        m_machines = ListMerge::machines(changes.base.machines, changes.ours.machines, m_machines);
        m_selectedMachineID = ListMerge::selection(changes.base.selection, changes.ours.selection,
                                                   m_selectedMachineID);
    }
    connect(&m_store, &StateStore::merged, this, &MachineList::takeMerged);
}

std::optional<SavedMachine> MachineList::savedMachine(const QUuid& id) const {
    for (const SavedMachine& machine : m_machines) {
        if (machine.id == id)
            return machine;
    }
    return std::nullopt;
}

std::optional<SavedMachine> MachineList::selectedMachine() const {
    if (m_selectedMachineID) {
        if (auto selected = savedMachine(*m_selectedMachineID))
            return selected;
    }
    if (m_machines.isEmpty())
        return std::nullopt;
    return m_machines.first();
}

SavedMachine MachineList::addMachine(const SavedMachine& machine) {
    m_machines.append(machine);
    emit machinesChanged();
    setSelectedMachineID(machine.id);
    emit machineAdded(machine);
    persist();
    return machine;
}

void MachineList::updateMachine(const SavedMachine& machine) {
    const auto found =
        std::find_if(m_machines.begin(), m_machines.end(),
                     [&](const SavedMachine& saved) { return saved.id == machine.id; });
    if (found == m_machines.end())
        return;
    *found = machine;
    emit machinesChanged();
    persist();
}

void MachineList::removeMachine(const SavedMachine& machine) {
    m_machines.removeIf([&](const SavedMachine& saved) { return saved.id == machine.id; });
    emit machinesChanged();
    emit machineRemoved(machine.id);

    if (m_selectedMachineID == machine.id) {
        setSelectedMachineID(m_machines.isEmpty() ? std::nullopt
                                                  : std::optional(m_machines.first().id));
    }
    persist();
}

void MachineList::selectMachine(const SavedMachine& machine) {
    setSelectedMachineID(machine.id);
    persist();
}

void MachineList::persist() {
    m_store.requestWrite({.machines = true});
}

void MachineList::takeMerged(const StoreHolding& merged, StoreLists which,
                             const StoreHolding& sent) {
    if (!which.machines)
        return;
    // What other writers stored is taken in; changes made here since the write took its
    // snapshot go onto it, and out with the next write.
    const QList<SavedMachine> machines =
        ListMerge::machines(sent.machines, m_machines, merged.machines);
    if (m_machines != machines) {
        m_machines = machines;
        emit machinesChanged();
    }
    setSelectedMachineID(
        ListMerge::selection(sent.selection, m_selectedMachineID, merged.selection));
    m_baseMachines = merged.machines;
    m_baseSelection = merged.selection;
}

void MachineList::addTo(StoreChanges& changes) const {
    changes.base.machines = m_baseMachines;
    changes.base.selection = m_baseSelection;
    changes.ours.machines = m_machines;
    changes.ours.selection = m_selectedMachineID;
}

void MachineList::setSelectedMachineID(const std::optional<QUuid>& id) {
    if (m_selectedMachineID == id)
        return;
    m_selectedMachineID = id;
    emit selectedMachineIDChanged();
}
