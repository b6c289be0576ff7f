#include "State/AppState.h"

AppState::AppState(std::unique_ptr<QSettings> store, StoreWork work)
    : m_store(std::make_unique<StateStore>(std::move(store), work))
    , m_machineList(std::make_unique<MachineList>(*m_store))
    , m_recentSends(std::make_unique<RecentSends>(*m_store))
    , m_monitor(std::make_unique<MachineMonitor>(*m_machineList))
    , m_sendQueue(
          std::make_unique<SendQueue>(*m_machineList, *m_monitor, *m_recentSends, *m_store)) {
    m_store->setSnapshot([machines = m_machineList.get(), recents = m_recentSends.get()] {
        StoreChanges changes;
        machines->addTo(changes);
        recents->addTo(changes);
        return changes;
    });
    // A log that reads is written back at once, and so are changes kept aside at the last quit.
    StoreLists write{.sendLog = m_store->loaded().sendLogToWrite ||
                                m_recentSends->hasInterruptedSendToWrite()};
    if (const auto& kept = m_store->keptAside())
        write |= kept->which;
    if (write.any())
        m_store->requestWrite(write);
    m_recentSends->forgetInterruptedSend();
}

AppState::~AppState() {
    m_store->finish();
}
