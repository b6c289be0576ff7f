// Sends a batch of 200 small designs through the real pipeline to a fake machine over loopback
// TLS, and measures designs per second and the longest stall of the GUI thread meanwhile.
// The fake machine runs on a thread of its own so its work does not count as a stall.

#include "AppState.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/TemporaryStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int batchSize = 200;

// Measures how late a 1 ms timer fires: the longest gap is the longest stall of the event loop.
class StallMeter : public QObject {
public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this,
                [this] { m_longest = std::max(m_longest, m_sinceLast.restart()); });
        m_sinceLast.start();
        m_timer.start(1);
    }
    qint64 longestMilliseconds() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longest = 0;
};

void BM_SendBatchOf200(benchmark::State& state) {
    QThread machineThread;
    machineThread.start();
    auto* fake = new FakeMachine;
    fake->moveToThread(&machineThread);
    bool started = false;
    QMetaObject::invokeMethod(
        fake, [&] { started = fake->start(); }, Qt::BlockingQueuedConnection);
    if (!started) {
        state.SkipWithError("the fake machine could not listen");
        return;
    }

    QTemporaryDir files;
    QList<QUrl> designs;
    for (int i = 0; i < batchSize; ++i) {
        QFile file(files.filePath(QStringLiteral("design-%1.pes").arg(i)));
        if (!file.open(QIODevice::WriteOnly))
            return state.SkipWithError("cannot write designs");
        file.write(QByteArray(4000 + i, 'x'));
        designs.append(QUrl::fromLocalFile(file.fileName()));
    }

    TemporaryStore store;
    AppState app(store.open());
    app.addMachine(SavedMachine{QUuid::createUuid(), QStringLiteral("Bench"), fake->host(),
                                fake->port(), std::nullopt, std::nullopt, std::nullopt});

    qint64 longestStall = 0;
    double seconds = 0;
    for (auto _ : state) {
        StallMeter meter;
        QElapsedTimer elapsed;
        elapsed.start();
        QSignalSpy finished(&app, &AppState::batchFinished);
        app.send(designs);
        if (!finished.wait(120000))
            return state.SkipWithError("the batch did not finish");
        seconds += elapsed.nsecsElapsed() / 1e9;
        longestStall = std::max(longestStall, meter.longestMilliseconds());
        if (!std::holds_alternative<SendStatuses::Sent>(app.sendStatus()))
            return state.SkipWithError(qPrintable(describe(app.sendStatus())));
    }
    state.counters["designs_per_s"] =
        benchmark::Counter(static_cast<double>(batchSize) * state.iterations() / seconds);
    state.counters["longest_stall_ms"] = benchmark::Counter(static_cast<double>(longestStall));

    QMetaObject::invokeMethod(
        fake, [fake] { delete fake; }, Qt::BlockingQueuedConnection);
    machineThread.quit();
    machineThread.wait();
}

BENCHMARK(BM_SendBatchOf200)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
