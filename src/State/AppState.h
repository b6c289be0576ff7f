#pragma once

#include "State/MachineList.h"
#include "State/MachineMonitor.h"
#include "State/RecentSends.h"
#include "State/SendQueue.h"
#include "State/StateStore.h"

#include <QSettings>

#include <memory>

// The utility's state, held by its owners: the saved machines and the selection, what is known
// of them at run time, the send queue and its status, the recent sends, and the store they are
// kept in. Everything lives on the GUI thread. The screens take this one object and read the
// owners they show; each owner notifies only what it owns.
class AppState {
public:
    using StoreWork = StateStore::Work;

    // Takes the per-user store (tests pass a temporary file) and loads from it.
    explicit AppState(std::unique_ptr<QSettings> store,
                      StoreWork work = StoreWork::onCallersThread);
    // Writes what has not been written yet, waiting only briefly for another writer.
    ~AppState();

    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    StateStore& store() { return *m_store; }
    MachineList& machineList() { return *m_machineList; }
    MachineMonitor& monitor() { return *m_monitor; }
    RecentSends& recentSends() { return *m_recentSends; }
    SendQueue& sendQueue() { return *m_sendQueue; }
    const StateStore& store() const { return *m_store; }
    const MachineList& machineList() const { return *m_machineList; }
    const MachineMonitor& monitor() const { return *m_monitor; }
    const RecentSends& recentSends() const { return *m_recentSends; }
    const SendQueue& sendQueue() const { return *m_sendQueue; }

private:
    // Declared in the order they depend on each other, so that each goes before what it uses.
    std::unique_ptr<StateStore> m_store;
    std::unique_ptr<MachineList> m_machineList;
    std::unique_ptr<RecentSends> m_recentSends;
    std::unique_ptr<MachineMonitor> m_monitor;
    std::unique_ptr<SendQueue> m_sendQueue;
};
