#pragma once

#include "Networking/MachineInfo.h"

#include <QCoroTask>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <variant>

// Finds machines on the local network: every host of the local IPv4 subnets (at most a /24 per
// interface), ARP neighbours first, is asked for its machine information, a fixed number of
// probes at a time. One instance per scan.
class MachineDiscovery {
public:
    using Bytes = std::array<quint8, 4>;

    // One usable local interface address, both fields in network order.
    struct IPv4Address {
        Bytes bytes{};
        Bytes mask{};
        friend bool operator==(const IPv4Address&, const IPv4Address&) = default;
    };

    // One entry of the system's interface-address list, as far as choosing interfaces needs it.
    struct InterfaceAddress {
        QByteArray name;
        unsigned int flags = 0;
        int family = 0;
        std::optional<Bytes> address; // present for AF_INET entries that carry one
        std::optional<Bytes> netmask;
    };

    struct NoNetwork {
        friend bool operator==(const NoNetwork&, const NoNetwork&) = default;
    };
    struct Completed {
        QList<MachineInfo> machines; // in the order their answers arrived
        friend bool operator==(const Completed&, const Completed&) = default;
    };
    using ScanResult = std::variant<NoNetwork, Completed>;

    // Asks one address for its machine information; absent for anything but a machine.
    using Prober = std::function<QCoro::Task<std::optional<MachineInfo>>(QString host, qint64 port,
                                                                         double timeout)>;
    using OnFound = std::function<QCoro::Task<>(MachineInfo info)>;

    // Where a scan gets its interfaces, ARP neighbours, port and probes. The program uses
    // system(); tests point every part at loopback. The two list sources run on a worker
    // thread and must be safe to call there.
    struct Environment {
        std::function<QList<IPv4Address>()> interfaces;
        std::function<QStringList()> arpHosts;
        qint64 port = 443;
        Prober probe;
        // Before the probes: makes the kernel ask who owns each candidate address, so that the
        // devices that exist show up in the ARP cache and are probed first. Given the
        // interfaces to send on (never loopback ones) and the candidates; false where it could
        // not run, and the scan then goes on at once.
        std::function<bool(const QList<IPv4Address>& interfaces, const QStringList& hosts)>
            wakeNeighbours{};
        // After the wake-up the ARP cache is read every `neighbourPoll`. The wait ends once
        // some device has answered and no other has for `neighbourSettle`, and at
        // `neighbourWait` at the latest: answers come in a burst, so a network that has
        // answered costs the scan little more than its answers took.
        std::chrono::milliseconds neighbourPoll{10};
        std::chrono::milliseconds neighbourSettle{0};
        std::chrono::milliseconds neighbourWait{0};

        // This computer's interfaces and ARP cache, port 443, the HTTPS info query, and the
        // wake-up by one UDP datagram per candidate.
        static Environment system();
    };

    MachineDiscovery(double timeout, qint64 concurrency, Environment environment);

    // Probes every candidate; `onFound` is awaited for each machine before its probe ends, so
    // every machine is reported before the scan returns. Runs on the calling thread's event
    // loop and never blocks it.
    QCoro::Task<ScanResult> scan(OnFound onFound) const;

    // The hosts of `arp -an` text: what stands between the first "(" and the next ")" of each
    // line that is not incomplete.
    static QStringList parseARPOutput(const QString& text);
    // The hosts of /proc/net/arp text whose entry is complete (flag 0x2 set and a hardware
    // address that is not all zeros).
    static QStringList parseProcNetARP(const QString& text);
    // ARP neighbours inside the subnets first, then the subnet hosts; each once, own ones never.
    static QStringList orderedCandidates(const QStringList& subnetHosts,
                                         const QStringList& knownHosts,
                                         const QSet<QString>& ownAddresses);
    // Every host address of each interface's subnet, capped to the /24 around the address.
    static QStringList subnetHosts(const QList<IPv4Address>& addresses);
    static QSet<QString> ownAddresses(const QList<IPv4Address>& addresses);
    // The entries a scan may use: up, running, not loopback, IPv4 with a netmask, a wired or
    // wireless Ethernet name ("en", "eth", "wl"), not link-local.
    static QList<IPv4Address> usableAddresses(const QList<InterfaceAddress>& entries);
    static QString dottedDecimal(const Bytes& bytes);

    // Sends one small UDP datagram to `port` of each of `hosts` that lies in the subnet of one
    // of `interfaces` (capped to its /24 as the scan is), from that interface's own address.
    // Nothing needs to listen: the datagram only makes the kernel resolve the address. Returns
    // how many were sent.
    static int sendWakeDatagrams(const QList<IPv4Address>& interfaces, const QStringList& hosts,
                                 quint16 port);

private:
    // Waits for the neighbours' answers as the environment says; the hosts of `candidates`
    // that are not in `known` and appeared in the ARP cache meanwhile, first answers first.
    static QCoro::Task<QStringList> awaitNeighbours(Environment environment, QStringList known,
                                                    QStringList candidates);
    static QList<IPv4Address> localIPv4Addresses();
    static QStringList arpCacheHosts();

    double m_timeout;
    qint64 m_concurrency;
    Environment m_environment;
};
