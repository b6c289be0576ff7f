// bobbinlark-tool scan [--port N]: the program's own network scan on this computer's
// interfaces. One JSON line per machine as it answers (and on stderr which probe it was), then
// a summary on stderr.

#include "Commands.h"
#include "Networking/MachineDiscovery.h"
#include "State/AppState.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonDocument>

#include <cstdio>
#include <memory>

namespace {

// The probes in the order they started, for the report of where each machine came.
using ProbeOrder = std::shared_ptr<QHash<QString, long long>>;

QCoro::Task<> printMachine(MachineInfo info, ProbeOrder order) {
    const QByteArray line = QJsonDocument(info.toJson()).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout); // each machine as it answers, also into a pipe
    std::fprintf(stderr, "answered: %s, probe %lld\n", qPrintable(info.host),
                 order->value(info.host));
    co_return;
}

} // namespace

int Commands::scan(const QStringList& arguments) {
    MachineDiscovery::Environment environment = MachineDiscovery::Environment::system();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != QLatin1StringView("--port") || i + 1 >= arguments.size())
            return usage();
        const std::optional<qint64> port = parsePort(arguments[++i]);
        if (!port)
            return usage();
        environment.port = *port;
    }

    // Counts the candidates actually probed, in order, for the report.
    auto order = std::make_shared<QHash<QString, long long>>();
    environment.probe = [probe = environment.probe, order](QString host, qint64 port,
                                                           double timeout) {
        order->insert(host, order->size() + 1);
        return probe(std::move(host), port, timeout);
    };

    QElapsedTimer clock;
    clock.start();
    const MachineDiscovery discovery(MachineMonitor::probeTimeout, MachineMonitor::probeConcurrency,
                                     environment);
    const MachineDiscovery::ScanResult result = QCoro::waitFor(
        discovery.scan([order](MachineInfo info) { return printMachine(std::move(info), order); }));
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;

    if (std::holds_alternative<MachineDiscovery::NoNetwork>(result)) {
        std::fputs("Couldn't scan the network. Make sure you're connected to Wi-Fi or Ethernet.\n",
                   stderr);
        return 1;
    }
    const auto& machines = std::get<MachineDiscovery::Completed>(result).machines;
    const QString summary = QStringLiteral("probed %1 candidates in %2 s, %3 machines answered\n")
                                .arg(order->size())
                                .arg(seconds, 0, 'f', 3)
                                .arg(machines.size());
    std::fputs(qPrintable(summary), stderr);
    return 0;
}
