// The network scan: choosing interfaces, the subnet hosts, the ARP readers, the candidate order,
// and the scan itself with its window of probes. Interfaces, ARP hosts and port are always
// injected; nothing here sees this computer's own network.

#include "Networking/MachineDiscovery.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/Scans.h"

#include <QCoroTimer>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

#include <net/if.h>
#include <sys/socket.h>

#include <chrono>

using namespace std::chrono_literals;

using Bytes = MachineDiscovery::Bytes;
using IPv4Address = MachineDiscovery::IPv4Address;
using InterfaceAddress = MachineDiscovery::InterfaceAddress;

Q_DECLARE_METATYPE(QList<InterfaceAddress>)
Q_DECLARE_METATYPE(QList<IPv4Address>)

namespace {

constexpr unsigned int upRunning = IFF_UP | IFF_RUNNING;

InterfaceAddress entry(const char* name, unsigned int flags, Bytes address, Bytes mask) {
    return InterfaceAddress{name, flags, AF_INET, address, mask};
}

IPv4Address address(Bytes bytes, Bytes mask) {
    return IPv4Address{bytes, mask};
}

QStringList range(const QString& prefix, int first, int last) {
    QStringList hosts;
    for (int i = first; i <= last; ++i)
        hosts.append(prefix + QString::number(i));
    return hosts;
}

MachineInfo machineAt(const QString& host, qint64 port, const QString& serial) {
    MachineInfo info;
    info.host = host;
    info.port = port;
    info.serial = serial;
    return info;
}

// Counts what a scan asks of its environment, so tests can tell what it did and did not do.
struct Probes {
    QStringList started;
    int inFlight = 0;
    int mostInFlight = 0;
    int arpReads = 0;
    QSet<double> timeouts;
};

} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT

private slots:
    void choosingInterfaces_data() {
        QTest::addColumn<QList<InterfaceAddress>>("entries");
        QTest::addColumn<QList<IPv4Address>>("usable");

        const Bytes home{192, 168, 1, 23};
        const Bytes slash24{255, 255, 255, 0};
        const auto row = [](const char* name, const QList<InterfaceAddress>& entries,
                            const QList<IPv4Address>& usable = {}) {
            QTest::newRow(name) << entries << usable;
        };
        row("wi-fi wlan0", {entry("wlan0", upRunning, home, slash24)}, {address(home, slash24)});
        row("wi-fi wlp2s0", {entry("wlp2s0", upRunning, home, slash24)}, {address(home, slash24)});
        row("wired eth0", {entry("eth0", upRunning, home, slash24)}, {address(home, slash24)});
        row("wired enp3s0 with more flags",
            {entry("enp3s0", upRunning | IFF_BROADCAST | IFF_MULTICAST, home, slash24)},
            {address(home, slash24)});
        row("loopback", {entry("lo", upRunning | IFF_LOOPBACK, {127, 0, 0, 1}, {255, 0, 0, 0})});
        row("loopback named like ethernet",
            {entry("eth9", upRunning | IFF_LOOPBACK, home, slash24)});
        row("up but not running", {entry("eth0", IFF_UP, home, slash24)});
        row("running but down", {entry("eth0", IFF_RUNNING, home, slash24)});
        row("bridge, tunnel, container and virtual links",
            {entry("br0", upRunning, home, slash24),
             entry("tun0", upRunning, {10, 8, 0, 2}, slash24),
             entry("docker0", upRunning, {172, 17, 0, 1}, {255, 255, 0, 0}),
             entry("veth12ab", upRunning, {10, 9, 0, 1}, slash24),
             entry("virbr0", upRunning, {192, 168, 122, 1}, slash24),
             entry("e", upRunning, {10, 9, 1, 1}, slash24)});
        row("IPv6 entry",
            {InterfaceAddress{"eth0", upRunning, AF_INET6, std::nullopt, std::nullopt}});
        row("family entry of the link layer",
            {InterfaceAddress{"eth0", upRunning, AF_PACKET, std::nullopt, std::nullopt}});
        row("no netmask", {InterfaceAddress{"eth0", upRunning, AF_INET, home, std::nullopt}});
        row("no address", {InterfaceAddress{"eth0", upRunning, AF_INET, std::nullopt, slash24}});
        row("link-local only", {entry("eth0", upRunning, {169, 254, 10, 20}, {255, 255, 0, 0})});
        row("near link-local is fine",
            {entry("eth0", upRunning, {169, 253, 10, 20}, slash24),
             entry("eth0", upRunning, {10, 169, 254, 1}, slash24)},
            {address({169, 253, 10, 20}, slash24), address({10, 169, 254, 1}, slash24)});
        row("several addresses, system order kept",
            {entry("wlan0", upRunning, {10, 0, 5, 7}, {255, 255, 0, 0}),
             entry("lo", upRunning | IFF_LOOPBACK, {127, 0, 0, 1}, {255, 0, 0, 0}),
             entry("eth0", upRunning, home, slash24),
             entry("eth0", upRunning, {192, 168, 2, 5}, slash24)},
            {address({10, 0, 5, 7}, {255, 255, 0, 0}), address(home, slash24),
             address({192, 168, 2, 5}, slash24)});
    }

    void choosingInterfaces() {
        QFETCH(QList<InterfaceAddress>, entries);
        QFETCH(QList<IPv4Address>, usable);
        QCOMPARE(MachineDiscovery::usableAddresses(entries), usable);
    }

    void subnetHostsAndCandidates_data() {
        QTest::addColumn<QList<IPv4Address>>("addresses");
        QTest::addColumn<QStringList>("subnetHosts");
        QTest::addColumn<QStringList>("candidates");

        QStringList homeCandidates = range(QStringLiteral("192.168.1."), 1, 254);
        homeCandidates.removeOne(QStringLiteral("192.168.1.23"));
        QTest::newRow("/24") << QList{address({192, 168, 1, 23}, {255, 255, 255, 0})}
                             << range(QStringLiteral("192.168.1."), 1, 254) << homeCandidates;

        QStringList tenCandidates = range(QStringLiteral("10.0.5."), 1, 254);
        tenCandidates.removeOne(QStringLiteral("10.0.5.7"));
        QTest::newRow("/16 scans the /24 around the address")
            << QList{address({10, 0, 5, 7}, {255, 255, 0, 0})}
            << range(QStringLiteral("10.0.5."), 1, 254) << tenCandidates;
        QTest::newRow("/8 likewise")
            << QList{address({10, 9, 8, 7}, {255, 0, 0, 0})}
            << range(QStringLiteral("10.9.8."), 1, 254) << [] {
                   QStringList hosts = range(QStringLiteral("10.9.8."), 1, 254);
                   hosts.removeOne(QStringLiteral("10.9.8.7"));
                   return hosts;
               }();
        QTest::newRow("/25 upper half")
            << QList{address({192, 168, 1, 200}, {255, 255, 255, 128})}
            << range(QStringLiteral("192.168.1."), 129, 254) << [] {
                   QStringList hosts = range(QStringLiteral("192.168.1."), 129, 254);
                   hosts.removeOne(QStringLiteral("192.168.1.200"));
                   return hosts;
               }();
        QTest::newRow("/30 leaves the partner")
            << QList{address({192, 168, 1, 9}, {255, 255, 255, 252})}
            << QStringList{QStringLiteral("192.168.1.9"), QStringLiteral("192.168.1.10")}
            << QStringList{QStringLiteral("192.168.1.10")};
        QTest::newRow("/31") << QList{address({192, 168, 1, 9}, {255, 255, 255, 254})}
                             << QStringList{} << QStringList{};
        QTest::newRow("/32") << QList{address({192, 168, 1, 9}, {255, 255, 255, 255})}
                             << QStringList{} << QStringList{};
        QTest::newRow("edge of the address space")
            << QList{address({255, 255, 255, 1}, {255, 255, 255, 252})}
            << QStringList{QStringLiteral("255.255.255.1"), QStringLiteral("255.255.255.2")}
            << QStringList{QStringLiteral("255.255.255.2")};

        // Two interfaces on one subnet: hosts listed twice, probed once; neither own address.
        QStringList shared = range(QStringLiteral("192.168.1."), 1, 254);
        shared.removeOne(QStringLiteral("192.168.1.23"));
        shared.removeOne(QStringLiteral("192.168.1.24"));
        QTest::newRow("one subnet through two interfaces")
            << QList{address({192, 168, 1, 23}, {255, 255, 255, 0}),
                     address({192, 168, 1, 24}, {255, 255, 255, 0})}
            << range(QStringLiteral("192.168.1."), 1, 254) +
                   range(QStringLiteral("192.168.1."), 1, 254)
            << shared;
        // An own address on a /32 still keeps that address out of another interface's subnet.
        QTest::newRow("own address from a /32 is never probed")
            << QList{address({192, 168, 1, 9}, {255, 255, 255, 255}),
                     address({192, 168, 1, 1}, {255, 255, 255, 252})}
            << QStringList{QStringLiteral("192.168.1.1"), QStringLiteral("192.168.1.2")}
            << QStringList{QStringLiteral("192.168.1.2")};
    }

    void subnetHostsAndCandidates() {
        QFETCH(QList<IPv4Address>, addresses);
        QFETCH(QStringList, subnetHosts);
        QFETCH(QStringList, candidates);
        QCOMPARE(MachineDiscovery::subnetHosts(addresses), subnetHosts);
        QCOMPARE(MachineDiscovery::orderedCandidates(subnetHosts, {},
                                                     MachineDiscovery::ownAddresses(addresses)),
                 candidates);
    }

    void arpToolOutput_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("hosts");

        const auto row = [](const char* name, const QString& text, const QStringList& hosts = {}) {
            QTest::newRow(name) << text << hosts;
        };
        row("empty", QString());
        row("one complete entry", "? (192.168.1.40) at 00:11:22:33:44:55 [ether] on wlan0\n",
            {"192.168.1.40"});
        row("incomplete entry", "? (192.168.1.41) at <incomplete> on wlan0\n");
        row("incomplete in parentheses",
            "? (192.168.1.41) at (incomplete) on en0 ifscope [ethernet]");
        row("no parentheses", "192.168.1.42 ether 00:11:22:33:44:55 C wlan0");
        row("unclosed parenthesis", "? (192.168.1.43 at 00:11:22:33:44:55");
        row("closing before opening", "a) b (192.168.1.44) c", {"192.168.1.44"});
        row("taken unchanged, not validated",
            "host (not an address) at 0:1:2:3:4:5\n? () at 0:1:2:3:4:5", {"not an address", ""});
        row("several lines, blank ones dropped, order kept",
            "\n? (10.0.0.3) at 0:11:22:33:44:55 on en0 ifscope [ethernet]\n\n"
            "? (10.0.0.1) at 0:11:22:33:44:56 on en0 ifscope [ethernet]\n"
            "? (10.0.0.2) at (incomplete) on en0 ifscope [ethernet]\n"
            "? (10.0.0.3) at 0:11:22:33:44:55 on en1 ifscope [ethernet]",
            {"10.0.0.3", "10.0.0.1", "10.0.0.3"});
    }

    void arpToolOutput() {
        QFETCH(QString, text);
        QFETCH(QStringList, hosts);
        QCOMPARE(MachineDiscovery::parseARPOutput(text), hosts);
    }

    void procNetARP_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("hosts");

        const QString header = QStringLiteral(
            "IP address       HW type     Flags       HW address            Mask     Device\n");
        QTest::newRow("header only") << header << QStringList{};
        QTest::newRow("complete and incomplete entries")
            << header +
                   QStringLiteral(
                       "192.168.1.40     0x1         0x2         00:11:22:33:44:55     *        "
                       "wlan0\n"
                       "192.168.1.41     0x1         0x0         00:00:00:00:00:00     *        "
                       "wlan0\n"
                       "192.168.1.42     0x1         0x6         00:11:22:33:44:66     *        "
                       "eth0\n"
                       "192.168.1.43     0x1         0x4         00:11:22:33:44:77     *        "
                       "eth0\n")
            << QStringList{QStringLiteral("192.168.1.40"), QStringLiteral("192.168.1.42")};
        QTest::newRow("complete flag with an empty hardware address")
            << header + QStringLiteral("10.0.0.9 0x1 0x2 00:00:00:00:00:00 * eth0\n")
            << QStringList{};
        QTest::newRow("tabs, missing trailing fields, junk")
            << QStringLiteral("10.0.0.1\t0x1\t0x2\t02:42:ac:11:00:02\n"
                              "10.0.0.2 0x1 0x2\n"
                              "10.0.0.3 0x1 2 02:42:ac:11:00:03 * eth0\n"
                              "10.0.0.4 0x1 0xZZ 02:42:ac:11:00:04 * eth0\n"
                              "10.0.0.5 0x1 0x 02:42:ac:11:00:05 * eth0\n"
                              "garbage\n")
            << QStringList{QStringLiteral("10.0.0.1")};
    }

    void procNetARP() {
        QFETCH(QString, text);
        QFETCH(QStringList, hosts);
        QCOMPARE(MachineDiscovery::parseProcNetARP(text), hosts);
    }

    void candidateOrder_data() {
        QTest::addColumn<QStringList>("subnet");
        QTest::addColumn<QStringList>("known");
        QTest::addColumn<QStringList>("own");
        QTest::addColumn<QStringList>("candidates");

        // Hosts of 192.168.1.0/24 by their last number.
        const auto hosts = [](std::initializer_list<int> last) {
            QStringList list;
            for (const int number : last)
                list << QStringLiteral("192.168.1.%1").arg(number);
            return list;
        };
        const auto row = [](const char* name, const QStringList& subnet, const QStringList& known,
                            const QStringList& own, const QStringList& candidates) {
            QTest::newRow(name) << subnet << known << own << candidates;
        };
        const QStringList five = hosts({1, 2, 3, 4, 5});
        row("no neighbours: subnet order", five, {}, {}, five);
        row("neighbour first, then the rest ascending", five, hosts({4}), {},
            hosts({4, 1, 2, 3, 5}));
        row("neighbours in ARP order, duplicates once", five, hosts({5, 2, 5}), {},
            hosts({5, 2, 1, 3, 4}));
        row("neighbour outside every subnet is never probed", five, {"172.16.0.5", "junk"}, {},
            five);
        row("own address never, not even as a neighbour", five, hosts({3}), hosts({3}),
            hosts({1, 2, 4, 5}));
        row("repeated subnet hosts once", five + five, {}, hosts({1}), hosts({2, 3, 4, 5}));
        row("nothing to scan", {}, {"10.0.0.1"}, {}, {});
    }

    void candidateOrder() {
        QFETCH(QStringList, subnet);
        QFETCH(QStringList, known);
        QFETCH(QStringList, own);
        QFETCH(QStringList, candidates);
        QCOMPARE(MachineDiscovery::orderedCandidates(subnet, known, QSet(own.begin(), own.end())),
                 candidates);
    }

    void noUsableInterfaceMeansNoNetworkAndNothingProbed() {
        auto probes = std::make_shared<Probes>();
        MachineDiscovery::Environment environment{[] { return QList<IPv4Address>{}; },
                                                  [probes] {
                                                      ++probes->arpReads;
                                                      return QStringList{};
                                                  },
                                                  443, countingProber(probes, {})};
        MachineDiscovery discovery(3.5, 64, environment);
        const auto result = QCoro::waitFor(discovery.scan({}));
        QVERIFY(std::holds_alternative<MachineDiscovery::NoNetwork>(result));
        QCOMPARE(probes->arpReads, 0);
        QVERIFY(probes->started.isEmpty());
    }

    void subnetsWithoutHostsCompleteEmpty_data() {
        QTest::addColumn<Bytes>("mask");
        QTest::newRow("/31") << Bytes{255, 255, 255, 254};
        QTest::newRow("/32") << Bytes{255, 255, 255, 255};
    }

    void subnetsWithoutHostsCompleteEmpty() {
        QFETCH(Bytes, mask);
        auto probes = std::make_shared<Probes>();
        const MachineDiscovery::Environment environment =
            counted({address({127, 0, 0, 1}, mask)}, {QStringLiteral("127.0.0.2")}, probes);
        const auto result = QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan({}));
        QVERIFY(std::holds_alternative<MachineDiscovery::Completed>(result));
        QVERIFY(std::get<MachineDiscovery::Completed>(result).machines.isEmpty());
        QVERIFY(probes->started.isEmpty());
    }

    void windowOfProbesNeverExceeded() {
        // Two /24s: 506 candidates. Probes end after uneven delays, so the window is refilled
        // out of order.
        auto probes = std::make_shared<Probes>();
        const QList<IPv4Address> interfaces{IPv4Address{{10, 1, 0, 1}, {255, 255, 255, 0}},
                                            IPv4Address{{10, 2, 0, 1}, {255, 255, 255, 0}}};
        const QStringList arp{QStringLiteral("10.2.0.77"), QStringLiteral("10.1.0.5")};
        const MachineDiscovery::Environment environment =
            counted(interfaces, arp, probes, {}, 8443);
        const auto result = QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan({}));
        QVERIFY(std::holds_alternative<MachineDiscovery::Completed>(result));
        QCOMPARE(probes->mostInFlight, 64);
        QCOMPARE(probes->inFlight, 0);
        // The neighbours, then both subnets in order; never this computer's own addresses.
        QStringList expected = arp + range(QStringLiteral("10.1.0."), 2, 254) +
                               range(QStringLiteral("10.2.0."), 2, 254);
        expected.removeDuplicates();
        QCOMPARE(expected.size(), 506);
        QCOMPARE(probes->started, expected); // started in candidate order, each once
        QCOMPARE(probes->timeouts, QSet<double>{3.5});
    }

    void smallerWindowHonoured() {
        auto probes = std::make_shared<Probes>();
        MachineDiscovery::Environment environment =
            counted({address({10, 1, 0, 1}, {255, 255, 255, 0})}, {}, probes);
        QCoro::waitFor(MachineDiscovery(3.5, 5, environment).scan({}));
        QCOMPARE(probes->mostInFlight, 5);
        QCOMPARE(probes->started.size(), 253);

        // A window of zero or less would end without probing; one probe at a time instead.
        auto single = std::make_shared<Probes>();
        environment.probe = countingProber(single, {});
        QCoro::waitFor(MachineDiscovery(3.5, 0, environment).scan({}));
        QCOMPARE(single->mostInFlight, 1);
        QCOMPARE(single->started.size(), 253);
    }

    void machinesReportedBeforeTheScanReturns() {
        auto probes = std::make_shared<Probes>();
        const QSet<QString> machines{QStringLiteral("10.1.0.3"), QStringLiteral("10.1.0.200"),
                                     QStringLiteral("10.1.0.60")};
        const MachineDiscovery::Environment environment =
            counted({address({10, 1, 0, 1}, {255, 255, 255, 0})}, {QStringLiteral("10.1.0.200")},
                    probes, machines, 8443);

        // The callback suspends before it takes note, so the scan must await it.
        auto reported = std::make_shared<QStringList>();
        auto returned = std::make_shared<bool>(false);
        auto wrongOrder = std::make_shared<bool>(false);
        MachineDiscovery::OnFound onFound = [reported, returned,
                                             wrongOrder](MachineInfo info) -> QCoro::Task<> {
            co_await QCoro::sleepFor(30ms);
            if (*returned)
                *wrongOrder = true;
            reported->append(info.host);
        };
        const auto result = QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan(onFound));
        *returned = true;

        QVERIFY(!*wrongOrder);
        const auto& completed = std::get<MachineDiscovery::Completed>(result);
        QCOMPARE(completed.machines.size(), 3);
        QStringList collected;
        for (const MachineInfo& info : completed.machines) {
            QCOMPARE(info.port, 8443);
            QCOMPARE(info.serial, QStringLiteral("S-") + info.host);
            collected.append(info.host);
        }
        // Collected in the order the callbacks finished, which is the order of the reports.
        QCOMPARE(collected, *reported);
        QCOMPARE(QSet(collected.begin(), collected.end()), machines);
        // The neighbour was asked first.
        QCOMPARE(probes->started.first(), QStringLiteral("10.1.0.200"));
    }

    void scanOverLoopbackFindsTheMachines() {
        // Machines on three addresses of 127.0.0.0/24 at one port; a web server that is no
        // machine on a fourth; every other address refuses. The real HTTPS probe is used.
        FakeMachine first;
        QVERIFY(first.start(QHostAddress(QStringLiteral("127.0.0.31"))));
        const quint16 port = first.port();
        FakeMachine second;
        FakeMachine third;
        FakeMachine notAMachine;
        QVERIFY(second.start(QHostAddress(QStringLiteral("127.0.0.140")), port));
        QVERIFY(third.start(QHostAddress(QStringLiteral("127.0.0.254")), port));
        QVERIFY(notAMachine.start(QHostAddress(QStringLiteral("127.0.0.2")), port));
        first.setInfoBody("{\"serial\":\"S-31\",\"name\":\"First\"}");
        second.setInfoBody("{\"machine-id\":\"M-140\"}");
        third.setInfoBody("{\"serial\":\"S-254\",\"machine-id\":\"M-254\"}");
        notAMachine.setInfoStatus(404);

        auto arpReads = std::make_shared<int>(0);
        MachineDiscovery::Environment environment =
            Scans::loopback({127, 0, 0, 1}, port, {255, 255, 255, 0});
        environment.arpHosts = [arpReads] {
            ++*arpReads;
            return QStringList{QStringLiteral("127.0.0.140"), QStringLiteral("10.0.0.1")};
        };

        auto reported = std::make_shared<QList<MachineInfo>>();
        auto returned = std::make_shared<bool>(false);
        auto lateReports = std::make_shared<int>(0);
        MachineDiscovery::OnFound onFound = [reported, returned,
                                             lateReports](MachineInfo info) -> QCoro::Task<> {
            if (*returned)
                ++*lateReports;
            reported->append(info);
            co_return;
        };
        const auto result = QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan(onFound));
        *returned = true;

        QCOMPARE(*lateReports, 0);
        QCOMPARE(*arpReads, 1);
        const auto& completed = std::get<MachineDiscovery::Completed>(result);
        QCOMPARE(completed.machines, *reported);
        QCOMPARE(completed.machines.size(), 3);
        // The neighbour was probed in the first wave; its answer is first unless a later probe
        // happened to overtake it, so only the set is certain.
        QHash<QString, MachineInfo> byHost;
        for (const MachineInfo& info : completed.machines)
            byHost.insert(info.host, info);
        QCOMPARE(byHost.value(QStringLiteral("127.0.0.31")).name, QStringLiteral("First"));
        QCOMPARE(byHost.value(QStringLiteral("127.0.0.31")).certificateFingerprint,
                 first.fingerprint());
        QCOMPARE(byHost.value(QStringLiteral("127.0.0.140")).machineID, QStringLiteral("M-140"));
        QCOMPARE(byHost.value(QStringLiteral("127.0.0.254")).serial, QStringLiteral("S-254"));
        for (const MachineInfo& info : completed.machines)
            QCOMPARE(info.port, port);
        QCOMPARE(notAMachine.requests().size(), 1); // asked, and not taken for a machine
        QCOMPARE(first.requests().size(), 1);
        QCOMPARE(first.requests().first().path, QByteArray("/info"));
    }

    // Before probing, the scan wakes the neighbours and reads the ARP cache again: the devices
    // that answered the kernel move to the front, the rest keep their order.
    void wokenNeighboursAreProbedFirst() {
        auto probes = std::make_shared<Probes>();
        auto woken = std::make_shared<QList<QPair<QList<IPv4Address>, QStringList>>>();
        const QList<IPv4Address> interfaces{address({10, 1, 0, 1}, {255, 255, 255, 0}),
                                            address({127, 0, 0, 1}, {255, 255, 255, 252})};
        MachineDiscovery::Environment environment{
            [interfaces] { return interfaces; },
            [probes] {
                // Empty at first; after the wake-up the device at .200 has answered.
                return ++probes->arpReads == 1
                           ? QStringList{QStringLiteral("10.1.0.9")}
                           : QStringList{QStringLiteral("10.1.0.9"), QStringLiteral("10.1.0.200")};
            },
            443, countingProber(probes, {})};
        environment.wakeNeighbours = [woken](const QList<IPv4Address>& sendOn,
                                             const QStringList& hosts) {
            woken->append({sendOn, hosts});
            return true;
        };
        environment.neighbourWait = 1ms;
        QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan({}));

        QCOMPARE(woken->size(), 1);
        // Never on a loopback interface; every candidate, own addresses left out.
        QCOMPARE(woken->first().first, QList{interfaces.first()});
        QCOMPARE(woken->first().second.size(), 253 + 1);
        QVERIFY(!woken->first().second.contains(QStringLiteral("10.1.0.1")));
        QCOMPARE(probes->arpReads, 2);
        QCOMPARE(probes->started.mid(0, 3),
                 (QStringList{QStringLiteral("10.1.0.9"), QStringLiteral("10.1.0.200"),
                              QStringLiteral("10.1.0.2")}));
        QCOMPARE(probes->started.size(), 253 + 1);
        QCOMPARE(QSet(probes->started.begin(), probes->started.end()).size(), 253 + 1);
    }

    // The wait for answers ends soon after they stop coming, in the order they came; with no
    // answer at all it lasts its whole length.
    void neighbourWaitEndsWhenAnswersStop() {
        auto probes = std::make_shared<Probes>();
        MachineDiscovery::Environment environment{
            [] {
                return QList{address({10, 1, 0, 1}, {255, 255, 255, 0})};
            },
            [probes] {
                // The cache as read after the wake-up: .200 answers first, .77 a read later,
                // then nobody else; an address outside the subnet never counts.
                const int read = ++probes->arpReads;
                QStringList hosts{QStringLiteral("10.1.0.9"), QStringLiteral("192.168.5.5")};
                if (read >= 3)
                    hosts << QStringLiteral("10.1.0.200");
                if (read >= 4)
                    hosts << QStringLiteral("10.1.0.77");
                return hosts;
            },
            443, countingProber(probes, {})};
        environment.wakeNeighbours = [](const QList<IPv4Address>&, const QStringList&) {
            return true;
        };
        environment.neighbourPoll = 1ms;
        environment.neighbourSettle = 5ms;
        environment.neighbourWait = 1h; // only the settling can end the wait in time
        QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan({}));
        QCOMPARE(probes->started.mid(0, 4),
                 (QStringList{QStringLiteral("10.1.0.9"), QStringLiteral("10.1.0.200"),
                              QStringLiteral("10.1.0.77"), QStringLiteral("10.1.0.2")}));
        QVERIFY(probes->arpReads >= 5); // it went on reading after the second answer
        QCOMPARE(probes->started.size(), 253);

        // Nobody answers: the wait is not cut short, however quiet the cache stays.
        auto quiet = std::make_shared<Probes>();
        environment.arpHosts = [quiet] {
            ++quiet->arpReads;
            return QStringList{};
        };
        environment.probe = countingProber(quiet, {});
        environment.neighbourWait = 60ms;
        QElapsedTimer clock;
        clock.start();
        QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan({}));
        QVERIFY(clock.elapsed() >= 60);
        QVERIFY(quiet->arpReads >= 3);
        QCOMPARE(quiet->started.first(), QStringLiteral("10.1.0.2"));
    }

    void wakeUpSkippedWhereItCannotRun() {
        // It could not send: no second ARP read, the order as the cache had it.
        auto probes = std::make_shared<Probes>();
        MachineDiscovery::Environment environment{
            [] {
                return QList{address({10, 1, 0, 1}, {255, 255, 255, 0})};
            },
            [probes] {
                ++probes->arpReads;
                return QStringList{QStringLiteral("10.1.0.50")};
            },
            443, countingProber(probes, {})};
        auto wakes = std::make_shared<int>(0);
        environment.wakeNeighbours = [wakes](const QList<IPv4Address>&, const QStringList&) {
            ++*wakes;
            return false;
        };
        environment.neighbourWait = 1h; // never waited for
        QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan({}));
        QCOMPARE(*wakes, 1);
        QCOMPARE(probes->arpReads, 1);
        QCOMPARE(probes->started.first(), QStringLiteral("10.1.0.50"));
        QCOMPARE(probes->started.size(), 253);

        // Only loopback interfaces: nobody to wake, nothing sent.
        auto loopbackProbes = std::make_shared<Probes>();
        environment.interfaces = [] {
            return QList{address({127, 0, 0, 1}, {255, 255, 255, 248})};
        };
        environment.probe = countingProber(loopbackProbes, {});
        QCoro::waitFor(MachineDiscovery(3.5, 64, environment).scan({}));
        QCOMPARE(*wakes, 1);
        QCOMPARE(loopbackProbes->started.size(), 5);
    }

    // The real wake-up: one datagram to each wanted host inside the interface's subnet, sent
    // from the interface's own address, none anywhere else.
    void wakeDatagramsReachOnlyTheSubnet() {
        QUdpSocket near;
        QUdpSocket far;
        QUdpSocket outside;
        QVERIFY(near.bind(QHostAddress(QStringLiteral("127.0.9.5")), 0));
        const quint16 port = near.localPort();
        QVERIFY(far.bind(QHostAddress(QStringLiteral("127.0.9.250")), port));
        QVERIFY(outside.bind(QHostAddress(QStringLiteral("127.0.10.5")), port));
        const QStringList hosts{QStringLiteral("127.0.9.5"), QStringLiteral("127.0.9.250"),
                                QStringLiteral("127.0.10.5"), QStringLiteral("not a host")};
        // A /16 is capped to the /24 around the address, as the scan's candidates are.
        const QList<IPv4Address> interfaces{address({127, 0, 9, 1}, {255, 255, 0, 0})};
        QCOMPARE(MachineDiscovery::sendWakeDatagrams(interfaces, hosts, port), 2);
        for (QUdpSocket* socket : {&near, &far}) {
            QTRY_VERIFY(socket->hasPendingDatagrams());
            const QNetworkDatagram datagram = socket->receiveDatagram();
            QCOMPARE(datagram.data().size(), 1);
            QCOMPARE(datagram.senderAddress(), QHostAddress(QStringLiteral("127.0.9.1")));
            QVERIFY(!socket->hasPendingDatagrams());
        }
        QTest::qWait(50);
        QVERIFY(!outside.hasPendingDatagrams());
        // An address it cannot send from: nothing sent.
        QCOMPARE(MachineDiscovery::sendWakeDatagrams({address({192, 0, 2, 1}, {255, 255, 255, 0})},
                                                     {"192.0.2.7"}, port),
                 0);
    }

private:
    // A scan of `interfaces` with `arp` for its neighbours and no wake-up, whose probes `probes`
    // counts and `machines` answer.
    static MachineDiscovery::Environment counted(QList<IPv4Address> interfaces, QStringList arp,
                                                 std::shared_ptr<Probes> probes,
                                                 QSet<QString> machines = {}, qint64 port = 443) {
        return {[interfaces] { return interfaces; }, [arp] { return arp; }, port,
                countingProber(std::move(probes), std::move(machines))};
    }

    // A prober that never touches the network: it counts probes in flight and answers as a
    // machine for the given hosts, after a delay that varies from host to host.
    static MachineDiscovery::Prober countingProber(std::shared_ptr<Probes> probes,
                                                   QSet<QString> machines) {
        return [probes, machines](QString host, qint64 port, double timeout) {
            return probe(probes, machines, std::move(host), port, timeout);
        };
    }

    static QCoro::Task<std::optional<MachineInfo>> probe(std::shared_ptr<Probes> probes,
                                                         QSet<QString> machines, QString host,
                                                         qint64 port, double timeout) {
        probes->timeouts.insert(timeout);
        probes->started.append(host);
        probes->mostInFlight = std::max(probes->mostInFlight, ++probes->inFlight);
        const int last = host.section(u'.', 3).toInt();
        co_await QCoro::sleepFor(std::chrono::milliseconds(1 + (last * 7) % 13));
        --probes->inFlight;
        if (!machines.contains(host))
            co_return std::nullopt;
        co_return machineAt(host, port, QStringLiteral("S-") + host);
    }
};

QTEST_GUILESS_MAIN(TestDiscovery)
#include "test_discovery.moc"
