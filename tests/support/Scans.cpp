#include "support/Scans.h"

namespace Scans {

MachineDiscovery::Environment loopback(MachineDiscovery::Bytes address, quint16 port,
                                       MachineDiscovery::Bytes mask, Count scans) {
    MachineDiscovery::Environment environment = noNetwork(scans);
    environment.interfaces = [address, mask, scans] {
        if (scans)
            ++*scans;
        return QList{MachineDiscovery::IPv4Address{address, mask}};
    };
    environment.port = port;
    return environment;
}

MachineDiscovery::Environment noNetwork(Count scans) {
    MachineDiscovery::Environment environment = MachineDiscovery::Environment::system();
    environment.interfaces = [scans] {
        if (scans)
            ++*scans;
        return QList<MachineDiscovery::IPv4Address>{};
    };
    environment.arpHosts = [] { return QStringList{}; };
    return environment;
}

} // namespace Scans
