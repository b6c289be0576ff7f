// The two ARP readers: `arp -an` text and /proc/net/arp text, both from outside the program.

#include "Networking/MachineDiscovery.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList fromTool = MachineDiscovery::parseARPOutput(text);
    const QStringList fromTable = MachineDiscovery::parseProcNetARP(text);
    // Whatever the readers yield must be safe to order against a subnet.
    static const QList<MachineDiscovery::IPv4Address> interfaces{
        MachineDiscovery::IPv4Address{{192, 168, 1, 23}, {255, 255, 255, 0}}};
    static const QStringList subnet = MachineDiscovery::subnetHosts(interfaces);
    static const QSet<QString> own = MachineDiscovery::ownAddresses(interfaces);
    const QStringList ordered =
        MachineDiscovery::orderedCandidates(subnet, fromTool + fromTable, own);
    if (ordered.size() != 253)
        __builtin_trap(); // every subnet host but our own, once, whatever the neighbours
    return 0;
}
