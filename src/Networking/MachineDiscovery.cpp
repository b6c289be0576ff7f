#include "Networking/MachineDiscovery.h"

#include "Networking/BrotherAPIClient.h"
#include "Networking/CertificateTrustSession.h"

#include <QCoroFuture>
#include <QCoroTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QtConcurrent>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <coroutine>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>

namespace {

using Bytes = MachineDiscovery::Bytes;

quint32 toNumber(const Bytes& bytes) {
    return (quint32{bytes[0]} << 24) | (quint32{bytes[1]} << 16) | (quint32{bytes[2]} << 8) |
           quint32{bytes[3]};
}

Bytes toBytes(quint32 number) {
    return {static_cast<quint8>(number >> 24), static_cast<quint8>(number >> 16),
            static_cast<quint8>(number >> 8), static_cast<quint8>(number)};
}

std::optional<Bytes> inetBytes(const sockaddr* address) {
    if (!address || address->sa_family != AF_INET)
        return std::nullopt;
    sockaddr_in inet{};
    std::memcpy(&inet, address, sizeof inet);
    Bytes bytes{};
    std::memcpy(bytes.data(), &inet.sin_addr.s_addr, bytes.size()); // already network order
    return bytes;
}

// Probes that have ended and wait for the scan to collect them, and the scan waiting for one.
// Lives on the scan's thread: the probes end there, as Qt delivers replies to the thread that
// made the request.
struct ProbeGroup {
    std::deque<std::optional<MachineInfo>> finished;
    std::coroutine_handle<> waiter;

    void finish(std::optional<MachineInfo> result) {
        finished.push_back(std::move(result));
        if (const auto handle = std::exchange(waiter, {})) {
            // The scan goes on from the event loop, not from inside the probe that just ended.
            QTimer::singleShot(0, [handle] { handle.resume(); });
        }
    }
};

struct NextFinished {
    ProbeGroup& group;

    bool await_ready() const noexcept { return !group.finished.empty(); }
    void await_suspend(std::coroutine_handle<> handle) noexcept { group.waiter = handle; }
    std::optional<MachineInfo> await_resume() {
        std::optional<MachineInfo> result = std::move(group.finished.front());
        group.finished.pop_front();
        return result;
    }
};

// One probe. Everything arrives as a copied parameter: the frame outlives the caller's.
QCoro::Task<> runProbe(MachineDiscovery::Prober probe, QString host, qint64 port, double timeout,
                       MachineDiscovery::OnFound onFound, std::shared_ptr<ProbeGroup> group) {
    std::optional<MachineInfo> info;
    if (probe)
        info = co_await probe(host, port, timeout);
    if (info && onFound)
        co_await onFound(*info);
    group->finish(std::move(info));
}

struct SystemView {
    QList<MachineDiscovery::IPv4Address> interfaces;
    QStringList arpHosts;
};

SystemView readSystem(const MachineDiscovery::Environment& environment) {
    SystemView view;
    if (environment.interfaces)
        view.interfaces = environment.interfaces();
    if (!view.interfaces.isEmpty() && environment.arpHosts)
        view.arpHosts = environment.arpHosts();
    return view;
}

} // namespace

MachineDiscovery::MachineDiscovery(double timeout, qint64 concurrency, Environment environment)
    : m_timeout(timeout)
    , m_concurrency(concurrency)
    , m_environment(std::move(environment)) {}

QCoro::Task<MachineDiscovery::ScanResult> MachineDiscovery::scan(OnFound onFound) const {
    // Copies: the scanner may go away while the scan is suspended.
    const Environment environment = m_environment;
    const double timeout = m_timeout;
    // A window of none would never probe anything yet claim a finished scan.
    const qint64 window = std::max<qint64>(m_concurrency, 1);

    // The system sources may block (the ARP tool runs as a child process), so they run on a
    // worker thread while the caller's event loop goes on.
    // (The future is named: g++ 12 destroys temporaries of a co_await expression twice.)
    QFuture<SystemView> reading = QtConcurrent::run(&readSystem, environment);
    const SystemView view = co_await reading;
    if (view.interfaces.isEmpty())
        co_return NoNetwork{};

    const QStringList hosts = subnetHosts(view.interfaces);
    const QSet<QString> own = ownAddresses(view.interfaces);
    QStringList candidates = orderedCandidates(hosts, view.arpHosts, own);

    // Loopback addresses have no neighbours to wake.
    QList<IPv4Address> wakeable;
    std::copy_if(view.interfaces.begin(), view.interfaces.end(), std::back_inserter(wakeable),
                 [](const IPv4Address& address) { return address.bytes[0] != 127; });
    if (environment.wakeNeighbours && !wakeable.isEmpty() && !candidates.isEmpty()) {
        QFuture<bool> waking = QtConcurrent::run(environment.wakeNeighbours, wakeable, candidates);
        const bool woken = co_await waking;
        if (woken && environment.arpHosts) {
            const QStringList neighbours =
                co_await awaitNeighbours(environment, view.arpHosts, candidates);
            // Only the order changes: what was known before stays first, the woken follow.
            candidates = orderedCandidates(hosts, view.arpHosts + neighbours, own);
        }
    }

    auto group = std::make_shared<ProbeGroup>();
    QList<MachineInfo> found;
    qsizetype next = 0;
    qint64 running = 0;
    while (running < window && next < candidates.size()) {
        runProbe(environment.probe, candidates[next++], environment.port, timeout, onFound, group);
        ++running;
    }
    while (running > 0) {
        std::optional<MachineInfo> result = co_await NextFinished{*group};
        --running;
        if (result)
            found.append(std::move(*result));
        if (next < candidates.size()) {
            runProbe(environment.probe, candidates[next++], environment.port, timeout, onFound,
                     group);
            ++running;
        }
    }
    co_return Completed{found};
}

QCoro::Task<QStringList> MachineDiscovery::awaitNeighbours(Environment environment,
                                                           QStringList known,
                                                           QStringList candidates) {
    using namespace std::chrono;
    const QSet<QString> wanted(candidates.begin(), candidates.end());
    QSet<QString> seen(known.begin(), known.end());
    QStringList answered;
    QElapsedTimer clock;
    clock.start();
    const auto elapsed = [&clock] { return milliseconds(clock.elapsed()); };
    milliseconds lastAnswer{0};
    while (true) {
        const milliseconds left = environment.neighbourWait - elapsed();
        co_await QCoro::sleepFor(std::clamp(left, milliseconds(0), environment.neighbourPoll));
        QFuture<QStringList> reading = QtConcurrent::run(environment.arpHosts);
        const QStringList neighbours = co_await reading;
        for (const QString& host : neighbours) {
            if (wanted.contains(host) && !seen.contains(host)) {
                seen.insert(host);
                answered.append(host);
                lastAnswer = elapsed();
            }
        }
        const bool settled =
            !answered.isEmpty() && elapsed() - lastAnswer >= environment.neighbourSettle;
        if (settled || elapsed() >= environment.neighbourWait)
            co_return answered;
    }
}

QStringList MachineDiscovery::parseARPOutput(const QString& text) {
    QStringList hosts;
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (line.contains(QLatin1StringView("incomplete")))
            continue;
        const qsizetype open = line.indexOf(u'(');
        if (open < 0)
            continue;
        const qsizetype close = line.indexOf(u')', open + 1);
        if (close < 0)
            continue;
        hosts.append(line.mid(open + 1, close - open - 1));
    }
    return hosts;
}

QStringList MachineDiscovery::parseProcNetARP(const QString& text) {
    // "IP address  HW type  Flags  HW address  Mask  Device", one entry per line after that.
    constexpr unsigned int completeFlag = 0x2;
    QStringList hosts;
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList fields = line.simplified().split(u' ', Qt::SkipEmptyParts);
        if (fields.size() < 4 || !fields[2].startsWith(QLatin1StringView("0x")))
            continue;
        bool ok = false;
        const unsigned int flags = fields[2].mid(2).toUInt(&ok, 16);
        if (!ok || !(flags & completeFlag))
            continue;
        const QString hardware = fields[3];
        const bool allZero = std::all_of(hardware.begin(), hardware.end(), [](QChar c) {
            return c == u'0' || c == u':' || c == u'-';
        });
        if (allZero)
            continue;
        hosts.append(fields[0]);
    }
    return hosts;
}

QStringList MachineDiscovery::orderedCandidates(const QStringList& subnetHosts,
                                                const QStringList& knownHosts,
                                                const QSet<QString>& ownAddresses) {
    const QSet<QString> subnet(subnetHosts.begin(), subnetHosts.end());
    QSet<QString> seen = ownAddresses;
    QStringList result;
    for (const QString& host : knownHosts) {
        if (subnet.contains(host) && !seen.contains(host)) {
            seen.insert(host);
            result.append(host);
        }
    }
    for (const QString& host : subnetHosts) {
        if (!seen.contains(host)) {
            seen.insert(host);
            result.append(host);
        }
    }
    return result;
}

QStringList MachineDiscovery::subnetHosts(const QList<IPv4Address>& addresses) {
    QStringList hosts;
    for (const IPv4Address& address : addresses) {
        quint32 mask = toNumber(address.mask);
        // A wider network is scanned only in the /24 around the computer's own address.
        if (!(address.mask[0] == 255 && address.mask[1] == 255 && address.mask[2] == 255))
            mask = 0xFFFFFF00u;
        const quint32 last = mask & 0xFFu;
        if (last >= 254) // a /31 or /32 has no other hosts to ask
            continue;
        const quint32 network = toNumber(address.bytes) & mask;
        // (network & 0xFF) <= last, so the hosts never leave the /24.
        const quint32 count = 254 - last;
        for (quint32 i = 1; i <= count; ++i)
            hosts.append(dottedDecimal(toBytes(network + i)));
    }
    return hosts;
}

QSet<QString> MachineDiscovery::ownAddresses(const QList<IPv4Address>& addresses) {
    QSet<QString> own;
    for (const IPv4Address& address : addresses)
        own.insert(dottedDecimal(address.bytes));
    return own;
}

QList<MachineDiscovery::IPv4Address>
MachineDiscovery::usableAddresses(const QList<InterfaceAddress>& entries) {
    QList<IPv4Address> usable;
    for (const InterfaceAddress& entry : entries) {
        constexpr unsigned int relevant = IFF_UP | IFF_LOOPBACK | IFF_RUNNING;
        if ((entry.flags & relevant) != (IFF_UP | IFF_RUNNING))
            continue;
        if (!entry.address || !entry.netmask || entry.family != AF_INET)
            continue;
        // Wired and wireless Ethernet; tunnels, bridges and virtual links are left alone.
        if (!entry.name.startsWith("en") && !entry.name.startsWith("eth") &&
            !entry.name.startsWith("wl"))
            continue;
        if ((*entry.address)[0] == 169 && (*entry.address)[1] == 254)
            continue;
        usable.append(IPv4Address{*entry.address, *entry.netmask});
    }
    return usable;
}

QString MachineDiscovery::dottedDecimal(const Bytes& bytes) {
    return QStringLiteral("%1.%2.%3.%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]);
}

QList<MachineDiscovery::IPv4Address> MachineDiscovery::localIPv4Addresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    QList<InterfaceAddress> entries;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        InterfaceAddress item;
        item.name = QByteArray(entry->ifa_name ? entry->ifa_name : "");
        item.flags = entry->ifa_flags;
        item.family = entry->ifa_addr ? entry->ifa_addr->sa_family : AF_UNSPEC;
        item.address = inetBytes(entry->ifa_addr);
        item.netmask = inetBytes(entry->ifa_netmask);
        entries.append(std::move(item));
    }
    freeifaddrs(list);
    return usableAddresses(entries);
}

QStringList MachineDiscovery::arpCacheHosts() {
    QFile table(QStringLiteral("/proc/net/arp"));
    if (table.open(QIODevice::ReadOnly))
        return parseProcNetARP(QString::fromUtf8(table.readAll()));

    QProcess arp;
    arp.setStandardErrorFile(QProcess::nullDevice());
    arp.start(QStringLiteral("/usr/sbin/arp"), {QStringLiteral("-an")}, QIODevice::ReadOnly);
    if (!arp.waitForStarted())
        return {};
    arp.waitForFinished(-1);
    return parseARPOutput(QString::fromUtf8(arp.readAllStandardOutput()));
}

namespace {

QCoro::Task<std::optional<MachineInfo>> fetchInfoOverHTTPS(QString host, qint64 port,
                                                           double timeout) {
    const BrotherAPIClient client(std::move(host), port, CertificateTrustSession::shared());
    co_return co_await client.fetchInfo(timeout);
}

} // namespace

MachineDiscovery::Environment MachineDiscovery::Environment::system() {
    Environment environment{&MachineDiscovery::localIPv4Addresses, &MachineDiscovery::arpCacheHosts,
                            443, &fetchInfoOverHTTPS};
    environment.wakeNeighbours = [](const QList<IPv4Address>& interfaces,
                                    const QStringList& hosts) {
        constexpr quint16 discardPort = 9; // nothing answers there but the kernel's neighbours
        return sendWakeDatagrams(interfaces, hosts, discardPort) > 0;
    };
    // At most long enough for a device on the local network, even a dozing wireless one, to
    // answer the kernel's question; short against the time a probe of an empty address takes.
    // Answers come in a burst (a wireless access point passes the questions on together at its
    // next beacon), so once they stop for a few polls the rest of the wait is spent for nothing.
    environment.neighbourPoll = std::chrono::milliseconds(10);
    environment.neighbourSettle = std::chrono::milliseconds(30);
    environment.neighbourWait = std::chrono::milliseconds(400);
    return environment;
}

int MachineDiscovery::sendWakeDatagrams(const QList<IPv4Address>& interfaces,
                                        const QStringList& hosts, quint16 port) {
    const QSet<QString> wanted(hosts.begin(), hosts.end());
    int sent = 0;
    for (const IPv4Address& interface : interfaces) {
        const int udp = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (udp < 0)
            continue;
        sockaddr_in source{};
        source.sin_family = AF_INET;
        std::memcpy(&source.sin_addr.s_addr, interface.bytes.data(), 4);
        if (bind(udp, reinterpret_cast<const sockaddr*>(&source), sizeof source) == 0) {
            const char nothing = 0;
            for (const QString& host : subnetHosts({interface})) {
                sockaddr_in target{};
                target.sin_family = AF_INET;
                target.sin_port = htons(port);
                if (!wanted.contains(host) ||
                    inet_pton(AF_INET, host.toLatin1().constData(), &target.sin_addr) != 1)
                    continue;
                if (sendto(udp, &nothing, 1, 0, reinterpret_cast<const sockaddr*>(&target),
                           sizeof target) == 1)
                    ++sent;
            }
        }
        close(udp);
    }
    return sent;
}
