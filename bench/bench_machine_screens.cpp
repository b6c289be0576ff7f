// The machine screens' two waits a person feels: the editor's "Test Connection" against a fake
// machine on loopback, from the click to the connection row showing the answer; and opening
// the machines list with twenty saved machines, from the push to its first paint. Both on the
// offscreen platform, with a real state object and settings file.

#include "State/AppState.h"
#include "Views/MachineEditView.h"
#include "Views/MachinesView.h"
#include "Views/PopoverView.h"
#include "Views/Widgets/ControlButton.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/TemporaryStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace {

// A state object whose scans find nothing, already past its first scan, so the list opens
// without starting one.
std::unique_ptr<AppState> quietState(TemporaryStore& store) {
    auto state = std::make_unique<AppState>(store.open());
    MachineDiscovery::Environment nowhere = MachineDiscovery::Environment::system();
    nowhere.interfaces = [] { return QList<MachineDiscovery::IPv4Address>{}; };
    nowhere.arpHosts = [] { return QStringList{}; };
    state->monitor().setDiscoveryEnvironment(nowhere);
    QEventLoop loop;
    QObject::connect(&state->monitor(), &MachineMonitor::hasScannedChanged, &loop,
                     &QEventLoop::quit);
    [[maybe_unused]] QCoro::Task<> scan = state->monitor().discover();
    if (!state->monitor().hasScanned())
        loop.exec();
    return state;
}

// This thread's processor time in milliseconds: the work itself, apart from the waits a loaded
// machine adds to the wall-clock figure.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Records the first paint of a widget.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void BM_TestConnection(benchmark::State& state) {
    FakeMachine machine;
    if (!machine.start(QHostAddress(QStringLiteral("127.0.13.1")))) {
        state.SkipWithError("the fake machine cannot listen");
        return;
    }
    TemporaryStore store;
    std::unique_ptr<AppState> appState = quietState(store);
    MachineEditView editor(*appState, std::nullopt, [] {});
    editor.setFixedSize(360, 520);
    editor.show();
    QTest::keyClicks(editor.hostField(), machine.host());
    editor.portField()->setText(QString::number(machine.port()));
    QCoreApplication::processEvents();
    double work = 0;
    for (auto _ : state) {
        const double started = threadMilliseconds();
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(editor.testButton(), Qt::LeftButton);
        while (editor.connectionState().kind == ConnectionState::Kind::checking)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        editor.repaint(); // the row as the person sees it
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        work += threadMilliseconds() - started;
        if (editor.connectionState().kind != ConnectionState::Kind::ok) {
            state.SkipWithError("the test failed");
            return;
        }
    }
    state.counters["gui_thread_cpu_ms"] =
        benchmark::Counter(work, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TestConnection)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_OpenMachinesList20(benchmark::State& state) {
    TemporaryStore store;
    std::unique_ptr<AppState> appState = quietState(store);
    for (int i = 0; i < 20; ++i) {
        appState->machineList().addMachine(
            SavedMachine{QUuid::createUuid(), QStringLiteral("Machine %1").arg(i + 1),
                         QStringLiteral("192.168.1.%1").arg(100 + i), i % 3 == 0 ? 8443 : 443,
                         std::nullopt, std::nullopt, std::nullopt});
    }
    PopoverView view(*appState);
    view.show();
    QCoreApplication::processEvents();
    double work = 0;
    for (auto _ : state) {
        PaintWatch watch;
        const double started = threadMilliseconds();
        QElapsedTimer timer;
        timer.start();
        view.push(Screen::machines());
        view.currentScreen()->installEventFilter(&watch);
        while (!watch.painted)
            QCoreApplication::processEvents();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        work += threadMilliseconds() - started;
        if (qobject_cast<MachinesView*>(view.currentScreen())->rows().size() != 20) {
            state.SkipWithError("the list is not complete");
            return;
        }
        view.currentScreen()->removeEventFilter(&watch);
        view.pop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    state.counters["gui_thread_cpu_ms"] =
        benchmark::Counter(work, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OpenMachinesList20)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
