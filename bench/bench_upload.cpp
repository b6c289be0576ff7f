// bobbinlark-tool against curl, whole processes, side by side: `upload` of a 3,000,000-byte
// design and `info`, each paired with curl doing the same request to the same fake machine.
// Rounds are interleaved (the order within a round alternates), so both clients see the same
// machine load; the figures are medians over all rounds and the ratio of those medians, and the
// median peak resident size of five more runs of each (/usr/bin/time). The
// fake machine runs as its own process and closes each connection after answering, as a machine
// does between two separate commands.
//
//   bench_upload [--rounds N] [--tool PATH]...
//
// Each --tool adds a build of bobbinlark-tool to the comparison (default: the one built here),
// so an older build can be measured in the same run.

#include "Networking/BrotherAPIClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr qint64 designBytes = 3'000'000;

struct Machine {
    QString host;
    QString port;
};

// Starts bobbinlark-fake-machine and reads the address it prints when ready.
std::optional<Machine> startFakeMachine(QProcess& process) {
    process.setProgram(QStringLiteral(BOBBINLARK_FAKE_MACHINE_PATH));
    process.setArguments({QStringLiteral("--address"), QStringLiteral("127.0.0.1"),
                          QStringLiteral("--close-connections")});
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    const QRegularExpression ready(QStringLiteral("listening at ([0-9.]+):([0-9]+)"));
    while (process.waitForReadyRead(10000)) {
        while (process.canReadLine()) {
            const QRegularExpressionMatch match =
                ready.match(QString::fromUtf8(process.readLine()));
            if (match.hasMatch())
                return Machine{match.captured(1), match.captured(2)};
        }
    }
    return std::nullopt;
}

// One client command: a program and its arguments; `expected` must be in what it prints.
struct Client {
    QString name;
    QString program;
    QStringList arguments;
    QByteArray expected;
    std::vector<double> milliseconds;
};

// Runs the command once; false when it failed.
bool runOnce(Client& client) {
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(client.program, client.arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return false;
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (!process.readAllStandardOutput().contains(client.expected))
        return false;
    client.milliseconds.push_back(elapsed);
    return true;
}

// The command's peak resident size in MB, as /usr/bin/time reports it; 0 if it failed.
double peakMegabytes(const Client& client) {
    QTemporaryDir folder;
    const QString report = folder.filePath(QStringLiteral("peak"));
    QProcess process;
    process.start(QStringLiteral("/usr/bin/time"),
                  QStringList{QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"),
                              report, client.program} +
                      client.arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return 0;
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toDouble() / 1024;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Interleaves the clients for `rounds` rounds and prints each median and its ratio to the
// first client's (curl's yardstick).
bool compare(const char* title, std::vector<Client>& clients, int rounds, double goal) {
    for (Client& client : clients) // one unmeasured run each: page cache, certificate
        if (!runOnce(client)) {
            std::fprintf(stderr, "bench_upload: %s failed\n", qPrintable(client.name));
            return false;
        }
    for (Client& client : clients)
        client.milliseconds.clear();
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < clients.size(); ++i) {
            Client& client = clients[round % 2 ? clients.size() - 1 - i : i];
            if (!runOnce(client)) {
                std::fprintf(stderr, "bench_upload: %s failed\n", qPrintable(client.name));
                return false;
            }
        }
    }
    const double reference = median(clients.front().milliseconds);
    std::printf("%s, %d rounds interleaved, median whole-process time and peak memory:\n", title,
                rounds);
    for (const Client& client : clients) {
        std::vector<double> peaks;
        for (int run = 0; run < 5; ++run)
            peaks.push_back(peakMegabytes(client));
        std::printf("  %-48s %7.1f ms  %.2fx curl  %5.1f MB\n", qPrintable(client.name),
                    median(client.milliseconds), median(client.milliseconds) / reference,
                    median(peaks));
    }
    std::printf("  goal: within %.1fx curl\n\n", goal);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int rounds = 40;
    QStringList tools;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1StringView("--rounds") && i + 1 < arguments.size())
            rounds = std::max(1, arguments[++i].toInt());
        else if (arguments[i] == QLatin1StringView("--tool") && i + 1 < arguments.size())
            tools << arguments[++i];
        else if (!arguments[i].startsWith(QLatin1StringView("--benchmark"))) {
            std::fprintf(stderr, "usage: bench_upload [--rounds N] [--tool PATH]...\n");
            return 2;
        }
    }
    if (tools.isEmpty())
        tools << QStringLiteral(BOBBINLARK_TOOL_PATH);

    QTemporaryDir folder;
    QByteArray design(designBytes, Qt::Uninitialized);
    QRandomGenerator generator(20261207);
    for (char& byte : design)
        byte = static_cast<char>(generator.bounded(256));
    const QString designPath = folder.filePath(QStringLiteral("bench.pes"));
    const BrotherAPIClient::UploadBody upload =
        BrotherAPIClient::buildUploadBody(design, "bench.pes");
    const QString bodyPath = folder.filePath(QStringLiteral("body"));
    QFile designFile(designPath);
    QFile bodyFile(bodyPath);
    if (!designFile.open(QIODevice::WriteOnly) || designFile.write(design) != designBytes ||
        !bodyFile.open(QIODevice::WriteOnly) || bodyFile.write(upload.body) != upload.body.size()) {
        std::fprintf(stderr, "bench_upload: cannot write the design files\n");
        return 1;
    }
    designFile.close();
    bodyFile.close();

    QProcess machineProcess;
    const std::optional<Machine> machine = startFakeMachine(machineProcess);
    if (!machine) {
        std::fprintf(stderr, "bench_upload: the fake machine did not start\n");
        return 1;
    }
    const QString base = QStringLiteral("https://%1:%2").arg(machine->host, machine->port);
    const QStringList curlCommon{QStringLiteral("-k"), QStringLiteral("-s"), QStringLiteral("-S"),
                                 QStringLiteral("-w"), QStringLiteral("%{http_code}\n")};

    // The yardstick is curl building the form itself from the file, as a person would post a
    // design with it; curl sending our prepared body follows for comparison (it reads the whole
    // body into memory first, so it is the slower of the two).
    std::vector<Client> uploads{
        {QStringLiteral("curl -F"),
         QStringLiteral("curl"),
         curlCommon +
             QStringList{QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-F"),
                         QStringLiteral("myfile=@%1;type=application/octet-stream").arg(designPath),
                         base + QStringLiteral("/sewing/sewing.cgi")},
         "200",
         {}},
        {QStringLiteral("curl --data-binary (our body)"),
         QStringLiteral("curl"),
         curlCommon + QStringList{QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                  QStringLiteral("-H"),
                                  QStringLiteral("Content-Type: multipart/form-data; boundary=") +
                                      QString::fromLatin1(upload.boundary),
                                  QStringLiteral("--data-binary"), u'@' + bodyPath,
                                  base + QStringLiteral("/sewing/sewing.cgi")},
         "200",
         {}}};
    std::vector<Client> infos{{QStringLiteral("curl /info"),
                               QStringLiteral("curl"),
                               curlCommon + QStringList{base + QStringLiteral("/info")},
                               "200",
                               {}}};
    for (const QString& tool : tools) {
        uploads.push_back({QStringLiteral("bobbinlark-tool upload (%1)").arg(tool),
                           tool,
                           {QStringLiteral("upload"), machine->host, machine->port, designPath},
                           "Sent",
                           {}});
        infos.push_back({QStringLiteral("bobbinlark-tool info (%1)").arg(tool),
                         tool,
                         {QStringLiteral("info"), machine->host, machine->port},
                         "\"serial\"",
                         {}});
    }

    const bool ok = compare("upload of a 3,000,000-byte design", uploads, rounds, 1.3) &&
                    compare("info query", infos, rounds, 1.5);
    machineProcess.kill();
    machineProcess.waitForFinished();
    return ok ? 0 : 1;
}
