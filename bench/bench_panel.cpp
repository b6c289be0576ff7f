// The panel's own costs: from a drop on the drop zone to the first byte of the upload on the
// wire, painting the whole main screen, and the longest stall of the GUI thread while 50 dropped
// designs go out with the panel showing, while a /24 where every address answers HTTPS is
// scanned, while both happen at once, and while a machine is saved (with the store free, and
// with another writer holding it for a moment). The fake machine runs on a thread of its own;
// between the program and the machine a plain TCP relay on another thread notes when each
// connection's first byte arrives, so the clock stops on the wire, not in the program.

#include "Networking/MachineDiscovery.h"
#include "State/AppState.h"
#include "Views/DropZone.h"
#include "Views/MainScreen.h"
#include "Views/PopoverView.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/DragEvents.h"
#include "support/TemporaryStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLockFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <QCoroTask>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Relays TCP connections from a loopback port to the machine's, one thread per connection,
// and records when the first byte of the newest connection arrived.
class WireRelay {
public:
    explicit WireRelay(quint16 targetPort)
        : m_targetPort(targetPort) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 16) != 0)
            return;
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }

    ~WireRelay() {
        m_stopping = true;
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        if (m_acceptor.joinable())
            m_acceptor.join();
        for (std::thread& relay : m_relays)
            relay.join();
    }

    quint16 port() const { return m_port; }
    // Nanoseconds on the steady clock of the latest first byte; 0 before any.
    std::int64_t firstByteAt() const { return m_firstByte.load(); }
    void reset() { m_firstByte = 0; }

private:
    void acceptLoop() {
        while (!m_stopping) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0)
                return;
            m_relays.emplace_back([this, client] { relay(client); });
        }
    }

    void relay(int client) {
        const int machine = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(m_targetPort);
        if (::connect(machine, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(client);
            ::close(machine);
            return;
        }
        bool first = true;
        char buffer[65536];
        pollfd fds[2] = {{client, POLLIN, 0}, {machine, POLLIN, 0}};
        while (!m_stopping) {
            if (::poll(fds, 2, 200) < 0)
                break;
            bool closed = false;
            for (int i = 0; i < 2; ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t got = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    closed = true;
                    break;
                }
                if (i == 0 && first) {
                    first = false;
                    m_firstByte = Clock::now().time_since_epoch().count();
                }
                ::send(fds[1 - i].fd, buffer, size_t(got), MSG_NOSIGNAL);
            }
            if (closed)
                break;
        }
        ::close(client);
        ::close(machine);
    }

    quint16 m_targetPort;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<std::int64_t> m_firstByte{0};
    std::thread m_acceptor;
    std::vector<std::thread> m_relays;
};

// A fake machine on a thread of its own.
struct MachineThread {
    QThread thread;
    FakeMachine* fake = new FakeMachine;
    bool started = false;

    explicit MachineThread(const QHostAddress& address = QHostAddress::LocalHost) {
        thread.start();
        fake->moveToThread(&thread);
        QMetaObject::invokeMethod(
            fake, [this, address] { started = fake->start(address); },
            Qt::BlockingQueuedConnection);
    }
    ~MachineThread() {
        QMetaObject::invokeMethod(
            fake, [this] { delete fake; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
};

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

QList<QUrl> writeDesigns(const QTemporaryDir& folder, int count) {
    QList<QUrl> designs;
    for (int i = 0; i < count; ++i) {
        QFile file(folder.filePath(QStringLiteral("design-%1.pes").arg(i)));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write("#PES0001" + QByteArray(6000 + i, 'x'));
        designs.append(QUrl::fromLocalFile(file.fileName()));
    }
    return designs;
}

// The panel as the program shows it, with a machine reached through `port`.
struct ShownPanel {
    TemporaryStore store;
    AppState state{store.open(), AppState::StoreWork::onItsOwnThread};
    PopoverView view{state};
    bool exposed = false;

    explicit ShownPanel(quint16 port) {
        state.machineList().addMachine(SavedMachine{QUuid::createUuid(), QStringLiteral("Bench"),
                                                    QStringLiteral("127.0.0.1"), port, std::nullopt,
                                                    std::nullopt, std::nullopt});
        view.show();
        exposed = QTest::qWaitForWindowExposed(&view);
    }
    DropZone* zone() { return view.mainScreen()->dropZone(); }
};

void BM_DropToFirstByte(benchmark::State& state) {
    MachineThread machine;
    if (!machine.started)
        return state.SkipWithError("the fake machine could not listen");
    WireRelay relay(machine.fake->port());
    if (!relay.port())
        return state.SkipWithError("the relay could not listen");
    QTemporaryDir folder;
    const QList<QUrl> designs = writeDesigns(folder, 1);
    ShownPanel panel(relay.port());
    const auto data = DragEvents::urls(designs);

    for (auto _ : state) {
        relay.reset();
        QSignalSpy finished(&panel.state.sendQueue(), &SendQueue::batchFinished);
        DragEvents::enter(panel.zone(), data.get());
        const std::int64_t dropped = Clock::now().time_since_epoch().count();
        DragEvents::drop(panel.zone(), data.get());
        // The event loop runs as it would in the program until the upload's first byte is out.
        QElapsedTimer waited;
        waited.start();
        while (relay.firstByteAt() == 0 && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (relay.firstByteAt() == 0)
            return state.SkipWithError("no upload reached the wire");
        state.SetIterationTime(double(relay.firstByteAt() - dropped) / 1e9);
        if (finished.isEmpty() && !finished.wait(10000))
            return state.SkipWithError("the send did not finish");
    }
}

void BM_MainScreenPaint(benchmark::State& state) {
    MachineThread machine;
    ShownPanel panel(machine.fake->port());
    panel.state.sendQueue().setSendStatus(
        SendStatuses::Sent{QStringLiteral("3 designs"), QStringLiteral("Bench")});
    QTest::qWait(300); // past the status change's fade
    QImage image(panel.view.size() * panel.view.devicePixelRatio(),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(panel.view.devicePixelRatio());
    for (auto _ : state) {
        QPainter painter(&image);
        panel.view.render(&painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_StallDuring50DesignDrop(benchmark::State& state) {
    MachineThread machine;
    if (!machine.started)
        return state.SkipWithError("the fake machine could not listen");
    QTemporaryDir folder;
    const QList<QUrl> designs = writeDesigns(folder, 50);
    ShownPanel panel(machine.fake->port());
    panel.state.sendQueue().setStatusResetDelay(std::chrono::milliseconds(100));
    const auto data = DragEvents::urls(designs);
    qint64 longest = 0;
    for (auto _ : state) {
        StallMeter meter;
        QSignalSpy finished(&panel.state.sendQueue(), &SendQueue::batchFinished);
        DragEvents::dragAndDrop(panel.zone(), data.get());
        if (!finished.wait(120000))
            return state.SkipWithError("the batch did not finish");
        longest = std::max(longest, meter.longestMilliseconds());
        if (!std::holds_alternative<SendStatuses::Sent>(panel.state.sendQueue().sendStatus()))
            return state.SkipWithError(qPrintable(describe(panel.state.sendQueue().sendStatus())));
    }
    state.counters["longest_stall_ms"] = benchmark::Counter(double(longest));
}

// A scan of 127.0.60.0/24 with the fake machine listening on every address: 254 machines
// answer, and every probe makes a TLS handshake.
MachineDiscovery::Environment everyAddressAnswers(quint16 port) {
    MachineDiscovery::Environment environment = MachineDiscovery::Environment::system();
    environment.interfaces = [] {
        return QList{MachineDiscovery::IPv4Address{{127, 0, 60, 1}, {255, 255, 255, 0}}};
    };
    environment.arpHosts = [] { return QStringList{}; };
    environment.port = port;
    return environment;
}

// The longest stall while the panel scans a busy /24, sends 50 designs, or both at once.
void BM_StallDuringScanAndDrop(benchmark::State& state) {
    const bool scanning = state.range(0) != 0;
    const bool dropping = state.range(1) != 0;
    MachineThread machine(QHostAddress::AnyIPv4);
    if (!machine.started)
        return state.SkipWithError("the fake machine could not listen");
    QTemporaryDir folder;
    const QList<QUrl> designs = writeDesigns(folder, 50);
    ShownPanel panel(machine.fake->port());
    panel.state.sendQueue().setStatusResetDelay(std::chrono::milliseconds(100));
    panel.state.monitor().setDiscoveryEnvironment(everyAddressAnswers(machine.fake->port()));
    const auto data = DragEvents::urls(designs);
    qint64 longest = 0;
    for (auto _ : state) {
        StallMeter meter;
        QSignalSpy finished(&panel.state.sendQueue(), &SendQueue::batchFinished);
        std::optional<QCoro::Task<>> scan;
        if (scanning)
            scan.emplace(panel.state.monitor().discover());
        if (dropping)
            DragEvents::dragAndDrop(panel.zone(), data.get());
        QElapsedTimer waited;
        waited.start();
        while (((scan && !scan->isReady()) || (dropping && finished.isEmpty())) &&
               waited.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (waited.elapsed() >= 120000)
            return state.SkipWithError("the scan or the batch did not finish");
        longest = std::max(longest, meter.longestMilliseconds());
        if (scanning && panel.state.monitor().discovered().isEmpty() &&
            !panel.state.machineList().selectedMachine())
            return state.SkipWithError("the scan found nothing");
    }
    state.counters["longest_stall_ms"] = benchmark::Counter(double(longest));
}

// How long saving a machine holds the GUI thread: the call, and the handling of its outcome.
void BM_StallOfAMachineSave(benchmark::State& state) {
    const bool held = state.range(0) != 0;
    ShownPanel panel(443);
    QSignalSpy written(&panel.state.store(), &StateStore::storeWritten);
    if (!written.wait(10000))
        return state.SkipWithError("the first machine was not stored");
    SavedMachine machine = *panel.state.machineList().selectedMachine();
    QLockFile other(panel.store.path() + QStringLiteral(".writer-lock"));
    qint64 longest = 0;
    int saves = 0;
    for (auto _ : state) {
        if (held && !other.tryLock(0))
            return state.SkipWithError("the writer lock could not be taken");
        if (held)
            QTimer::singleShot(300, [&other] { other.unlock(); });
        StallMeter meter;
        machine.name = QStringLiteral("Bench %1").arg(++saves);
        written.clear();
        panel.state.machineList().updateMachine(machine);
        if (!written.wait(10000))
            return state.SkipWithError("the save did not end");
        QTest::qWait(5); // the meter sees the gap after the last handler
        longest = std::max(longest, meter.longestMilliseconds());
        if (panel.state.store().storeProblem())
            return state.SkipWithError(qPrintable(*panel.state.store().storeProblem()));
    }
    state.counters["longest_stall_ms"] = benchmark::Counter(double(longest));
}

BENCHMARK(BM_DropToFirstByte)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();
BENCHMARK(BM_MainScreenPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StallDuring50DesignDrop)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_StallDuringScanAndDrop)
    ->ArgNames({"scan", "drop"})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_StallOfAMachineSave)
    ->ArgName("held")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // Rendered off screen, as the widget tests are: the figures are the program's own work.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
