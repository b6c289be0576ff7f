#pragma once

#include "Networking/MachineDiscovery.h"

#include <atomic>
#include <memory>

// Scan environments that list only the interfaces a test gives them and no ARP neighbours, so
// that no scan reaches beyond loopback.
namespace Scans {

// Counts the scans that listed the interfaces; they list them on a worker thread.
using Count = std::shared_ptr<std::atomic<int>>;

// One loopback subnet, `address` under `mask` (by default the /30 around it, whose other host
// is the one probed), with machines looked for at `port`.
MachineDiscovery::Environment loopback(MachineDiscovery::Bytes address, quint16 port,
                                       MachineDiscovery::Bytes mask = {255, 255, 255, 252},
                                       Count scans = nullptr);

// No usable interface: every scan ends at once without a network.
MachineDiscovery::Environment noNetwork(Count scans = nullptr);

} // namespace Scans
