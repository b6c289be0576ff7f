#include "State/MachineList.h"

#include "State/StateStore.h"

#include <algorithm>

MachineList::MachineList(StateStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_machines(store.loaded().holding.machines)
    , m_selectedMachineID(store.loaded().holding.selection) {
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

void MachineList::takeMerged(const StoreHolding& merged, StoreLists which) {
    // A list changed here since the write took its snapshot keeps the newer change; the next
    // write merges it and brings the stored list back.
    if (!which.machines || m_store.waitingToWrite().machines)
        return;
    if (m_machines != merged.machines) {
        m_machines = merged.machines;
        emit machinesChanged();
    }
    setSelectedMachineID(merged.selection);
}

void MachineList::setSelectedMachineID(const std::optional<QUuid>& id) {
    if (m_selectedMachineID == id)
        return;
    m_selectedMachineID = id;
    emit selectedMachineIDChanged();
}
