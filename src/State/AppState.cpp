#include "State/AppState.h"

AppState::AppState(std::unique_ptr<QSettings> store, StoreWork work)
    : m_store(std::make_unique<StateStore>(std::move(store), work))
    , m_machineList(std::make_unique<MachineList>(*m_store))
    , m_recentSends(std::make_unique<RecentSends>(*m_store))
    , m_monitor(std::make_unique<MachineMonitor>(*m_machineList))
    , m_sendQueue(
          std::make_unique<SendQueue>(*m_machineList, *m_monitor, *m_recentSends, *m_store)) {
    m_store->setSnapshot([machines = m_machineList.get(), recents = m_recentSends.get()] {
        return StoreHolding{machines->machines(), machines->selectedMachineID(),
                            recents->sendLog()};
    });
    // A log that reads is written back at once.
    if (m_store->loaded().sendLogToWrite)
        m_recentSends->save();
}

AppState::~AppState() {
    m_store->finish({.sendLog = m_recentSends->hasUnsavedEntries()});
}
