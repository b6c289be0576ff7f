// Sends a batch of 200 small designs through the real pipeline to a fake machine over loopback
// TLS, and measures designs per second and the longest stall of the GUI thread meanwhile.
// The fake machine runs on a thread of its own so its work does not count as a stall.
//
// BM_SendBatchOf50SideBySide sends 50 real designs (those of ../shared/corpus, else made ones)
// to a machine without an area and to one with a small area, in turns.

#include "Designs/StitchFileTypes.h"
#include "State/AppState.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/StitchWriters.h"
#include "support/TemporaryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <QCoroTask>

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
    app.machineList().addMachine(SavedMachine{QUuid::createUuid(), QStringLiteral("Bench"),
                                              fake->host(), fake->port(), std::nullopt,
                                              std::nullopt, std::nullopt});

    qint64 longestStall = 0;
    double seconds = 0;
    for (auto _ : state) {
        StallMeter meter;
        QElapsedTimer elapsed;
        elapsed.start();
        QSignalSpy finished(&app.sendQueue(), &SendQueue::batchFinished);
        app.sendQueue().send(designs);
        if (!finished.wait(120000))
            return state.SkipWithError("the batch did not finish");
        seconds += elapsed.nsecsElapsed() / 1e9;
        longestStall = std::max(longestStall, meter.longestMilliseconds());
        if (!std::holds_alternative<SendStatuses::Sent>(app.sendQueue().sendStatus()))
            return state.SkipWithError(qPrintable(describe(app.sendQueue().sendStatus())));
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

// Fifty design files under `folder`: the corpus's sendable designs in turn, else made ones.
QList<QUrl> fiftyDesigns(const QTemporaryDir& folder) {
    QList<QByteArray> contents;
    QStringList extensions;
    const QDir corpus(QStringLiteral(BOBBINLARK_SOURCE_DIR "/../shared/corpus"));
    for (const QFileInfo& info : corpus.entryInfoList(QDir::Files, QDir::Name)) {
        QFile file(info.filePath());
        if (StitchFileTypes::isSendable(QUrl::fromLocalFile(info.filePath())) &&
            file.open(QIODevice::ReadOnly)) {
            contents.append(file.readAll());
            extensions.append(info.suffix());
        }
    }
    if (contents.isEmpty()) {
        for (int i = 0; i < 5; ++i) {
            contents.append(StitchWriters::dst(StitchWriters::sampleDesign(2000 + 3000 * i, 4)));
            extensions.append(QStringLiteral("dst"));
        }
    }
    QList<QUrl> designs;
    for (int i = 0; i < 50; ++i) {
        const qsizetype which = i % contents.size();
        QFile file(folder.filePath(QStringLiteral("design-%1.%2").arg(i).arg(extensions[which])));
        if (!file.open(QIODevice::WriteOnly) || file.write(contents[which]) < 0)
            return {};
        designs.append(QUrl::fromLocalFile(file.fileName()));
    }
    return designs;
}

// One machine on a thread of its own, answering `info`.
struct BenchMachine {
    QThread thread;
    FakeMachine* fake = new FakeMachine;
    bool started = false;

    explicit BenchMachine(const QByteArray& info) {
        thread.start();
        fake->moveToThread(&thread);
        QMetaObject::invokeMethod(
            fake,
            [&] {
                fake->setInfoBody(info);
                started = fake->start();
            },
            Qt::BlockingQueuedConnection);
    }
    ~BenchMachine() {
        QMetaObject::invokeMethod(
            fake, [this] { delete fake; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
};

// The same batch to a machine that reports no area (nothing is measured, as before sizes were
// told) and to one that reports 100 x 60 mm (every design decoded while it uploads, some warned
// about), in turns, so that whatever else the computer does falls on both alike. Reports each
// side's mean time per batch and their ratio.
void BM_SendBatchOf50SideBySide(benchmark::State& state) {
    BenchMachine plain(QByteArrayLiteral("{\"serial\":\"B1\"}"));
    BenchMachine small(QByteArrayLiteral(
        "{\"serial\":\"B2\",\"features\":{\"embwidth\":1000,\"embheight\":600}}"));
    if (!plain.started || !small.started)
        return state.SkipWithError("the fake machines could not listen");
    QTemporaryDir files;
    const QList<QUrl> designs = fiftyDesigns(files);
    if (designs.isEmpty())
        return state.SkipWithError("cannot write designs");

    struct Side {
        std::unique_ptr<TemporaryStore> store = std::make_unique<TemporaryStore>();
        std::unique_ptr<AppState> app = std::make_unique<AppState>(store->open());
        double seconds = 0;
        qsizetype warned = 0;
    };
    Side sides[2];
    FakeMachine* machines[2] = {plain.fake, small.fake};
    for (int i = 0; i < 2; ++i) {
        AppState& app = *sides[i].app;
        const SavedMachine machine = app.machineList().addMachine(
            SavedMachine{QUuid::createUuid(), QStringLiteral("Bench"), machines[i]->host(),
                         machines[i]->port(), std::nullopt, std::nullopt, std::nullopt});
        QCoro::waitFor(app.monitor().check(machine));
        if (app.monitor().machineInfo().value(machine.id).embroideryWidthMM.has_value() != (i == 1))
            return state.SkipWithError("a machine's info did not arrive");
    }

    qint64 round = 0;
    for (auto _ : state) {
        // Alternate which side goes first, so neither always follows the other.
        for (int turn = 0; turn < 2; ++turn) {
            Side& side = sides[(turn + round) % 2];
            QSignalSpy finished(&side.app->sendQueue(), &SendQueue::batchFinished);
            QElapsedTimer elapsed;
            elapsed.start();
            side.app->sendQueue().send(designs);
            if (!finished.wait(120000))
                return state.SkipWithError("a batch did not finish");
            side.seconds += elapsed.nsecsElapsed() / 1e9;
            const auto* sent = std::get_if<SendStatuses::Sent>(&side.app->sendQueue().sendStatus());
            if (!sent)
                return state.SkipWithError(
                    qPrintable(describe(side.app->sendQueue().sendStatus())));
            side.warned = sent->warnings.size();
        }
        ++round;
    }
    const double rounds = double(state.iterations());
    state.counters["ms_no_area"] = benchmark::Counter(1000 * sides[0].seconds / rounds);
    state.counters["ms_area"] = benchmark::Counter(1000 * sides[1].seconds / rounds);
    state.counters["area_over_no_area"] = benchmark::Counter(sides[1].seconds / sides[0].seconds);
    state.counters["warned"] = benchmark::Counter(double(sides[1].warned));
}

BENCHMARK(BM_SendBatchOf50SideBySide)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
