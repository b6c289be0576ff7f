// bobbinlark-tool scan [--port N]: the program's own network scan on this computer's
// interfaces. One JSON line per machine as it answers, then a summary on stderr.

#include "AppState.h"
#include "Commands.h"
#include "Networking/MachineDiscovery.h"

#include <QElapsedTimer>
#include <QJsonDocument>

#include <cstdio>
#include <memory>

namespace {

QCoro::Task<> printMachine(MachineInfo info) {
    const QByteArray line = QJsonDocument(info.toJson()).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout); // each machine as it answers, also into a pipe
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

    // Counts the candidates actually probed, for the summary.
    auto probed = std::make_shared<qint64>(0);
    environment.probe = [probe = environment.probe, probed](QString host, qint64 port,
                                                            double timeout) {
        ++*probed;
        return probe(std::move(host), port, timeout);
    };

    QElapsedTimer clock;
    clock.start();
    const MachineDiscovery discovery(AppState::probeTimeout, AppState::probeConcurrency,
                                     environment);
    const MachineDiscovery::ScanResult result = QCoro::waitFor(discovery.scan(&printMachine));
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;

    if (std::holds_alternative<MachineDiscovery::NoNetwork>(result)) {
        std::fputs("Couldn't scan the network. Make sure you're connected to Wi-Fi or Ethernet.\n",
                   stderr);
        return 1;
    }
    const auto& machines = std::get<MachineDiscovery::Completed>(result).machines;
    const QString summary = QStringLiteral("probed %1 candidates in %2 s, %3 machines answered\n")
                                .arg(*probed)
                                .arg(seconds, 0, 'f', 3)
                                .arg(machines.size());
    std::fputs(qPrintable(summary), stderr);
    return 0;
}
