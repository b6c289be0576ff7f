// Uploading a 3,000,000-byte design to a fake machine over loopback TLS, side by side with
// curl posting the same body to the same machine. The fake machine runs as its own process so
// neither client shares a thread with the server. For the comparison the machine closes every
// connection after answering, so each upload makes a fresh TLS connection as each curl run
// does; a kept-alive variant shows what repeated sends from the program cost.

#include "Networking/BrotherAPIClient.h"
#include "Networking/CertificateTrustSession.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr qint64 designBytes = 3'000'000;

struct Machine {
    QString host;
    qint64 port = 0;
};

Machine closing; // closes every connection after answering, as each curl run does too
Machine keeping; // keeps connections alive, as a machine does for the program
QByteArray design;

QByteArray makeDesign() {
    QByteArray data(designBytes, Qt::Uninitialized);
    QRandomGenerator generator(20261207);
    for (char& byte : data)
        byte = static_cast<char>(generator.bounded(256));
    return data;
}

// Starts bobbinlark-fake-machine and reads the address it prints when ready.
std::optional<Machine> startFakeMachine(QProcess& process, QStringList arguments) {
    process.setProgram(QStringLiteral(BOBBINLARK_FAKE_MACHINE_PATH));
    process.setArguments(arguments << QStringLiteral("--address") << QStringLiteral("127.0.0.1"));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    const QRegularExpression ready(QStringLiteral("listening at ([0-9.]+):([0-9]+)"));
    while (process.waitForReadyRead(10000)) {
        while (process.canReadLine()) {
            const QRegularExpressionMatch match =
                ready.match(QString::fromUtf8(process.readLine()));
            if (match.hasMatch())
                return Machine{match.captured(1), match.captured(2).toLongLong()};
        }
    }
    return std::nullopt;
}

void uploadOnce(benchmark::State& state, const Machine& machine) {
    const BrotherAPIClient client(machine.host, machine.port, CertificateTrustSession::shared());
    const std::optional<BrotherAPIError> error =
        QCoro::waitFor(client.upload(design, "bench.pes", designBytes));
    if (error)
        state.SkipWithError(qPrintable(error->errorDescription()));
}

void BM_BobbinlarkUpload(benchmark::State& state) {
    for (auto _ : state)
        uploadOnce(state, closing);
    state.SetBytesProcessed(state.iterations() * designBytes);
}

void BM_BobbinlarkUploadKeptAlive(benchmark::State& state) {
    uploadOnce(state, keeping); // opens the connection the timed uploads reuse
    for (auto _ : state)
        uploadOnce(state, keeping);
    state.SetBytesProcessed(state.iterations() * designBytes);
}

void BM_CurlUpload(benchmark::State& state) {
    const BrotherAPIClient::UploadBody upload =
        BrotherAPIClient::buildUploadBody(design, "bench.pes");
    QTemporaryFile body;
    if (!body.open() || body.write(upload.body) != upload.body.size() || !body.flush()) {
        state.SkipWithError("cannot write the body file");
        return;
    }
    const QStringList arguments{
        QStringLiteral("-k"),
        QStringLiteral("-s"),
        QStringLiteral("-o"),
        QStringLiteral("/dev/null"),
        QStringLiteral("-w"),
        QStringLiteral("%{http_code} %{time_total}"),
        QStringLiteral("-H"),
        QStringLiteral("Content-Type: multipart/form-data; boundary=") +
            QString::fromLatin1(upload.boundary),
        QStringLiteral("--data-binary"),
        u'@' + body.fileName(),
        QStringLiteral("https://%1:%2/sewing/sewing.cgi").arg(closing.host).arg(closing.port),
    };
    double curlSeconds = 0;
    for (auto _ : state) {
        QProcess curl;
        curl.start(QStringLiteral("curl"), arguments);
        if (!curl.waitForFinished(30000) || curl.exitCode() != 0) {
            state.SkipWithError("curl failed");
            return;
        }
        const QList<QByteArray> output = curl.readAllStandardOutput().split(' ');
        if (output.value(0) != "200") {
            state.SkipWithError("curl got no 200");
            return;
        }
        curlSeconds += output.value(1).toDouble();
    }
    state.SetBytesProcessed(state.iterations() * designBytes);
    // curl's own measure of its transfer, without starting the process.
    state.counters["curl_time_total_ms"] =
        benchmark::Counter(curlSeconds * 1000, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_BobbinlarkUpload)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BobbinlarkUploadKeptAlive)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CurlUpload)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Prints as usual and keeps each benchmark's time per upload for the ratio; with
// --benchmark_repetitions the ratio uses the medians.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            milliseconds[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
            const auto counter = run.counters.find("curl_time_total_ms");
            if (counter != run.counters.end())
                curlOwnMilliseconds.push_back(counter->second.value);
        }
    }

    static double median(std::vector<double> values) {
        if (values.empty())
            return 0;
        std::sort(values.begin(), values.end());
        const size_t middle = values.size() / 2;
        return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    }

    std::map<std::string, std::vector<double>> milliseconds;
    std::vector<double> curlOwnMilliseconds;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    design = makeDesign();
    QProcess closingProcess;
    QProcess keepingProcess;
    const auto closingMachine =
        startFakeMachine(closingProcess, {QStringLiteral("--close-connections")});
    const auto keepingMachine = startFakeMachine(keepingProcess, {});
    if (!closingMachine || !keepingMachine) {
        std::fprintf(stderr, "bench_upload: the fake machine did not start\n");
        return 1;
    }
    closing = *closingMachine;
    keeping = *keepingMachine;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (QProcess* process : {&closingProcess, &keepingProcess}) {
        process->kill();
        process->waitForFinished();
    }

    const double ours = RatioReporter::median(reporter.milliseconds["BM_BobbinlarkUpload"]);
    const double curl = RatioReporter::median(reporter.milliseconds["BM_CurlUpload"]);
    const double curlOwn = RatioReporter::median(reporter.curlOwnMilliseconds);
    if (ours > 0 && curl > 0 && curlOwn > 0) {
        std::printf("\nBobbinlark %.1f ms, curl %.1f ms (curl's own time_total %.1f ms)\n", ours,
                    curl, curlOwn);
        std::printf("Bobbinlark / curl (whole curl run):    %.2f\n", ours / curl);
        std::printf("Bobbinlark / curl (curl's time_total): %.2f\n", ours / curlOwn);
        std::printf("Goal: within 1.5 of curl\n");
    }
    return 0;
}
