// Machine checks, certificate pins, the scan in the state object and relocation, against fake
// machines over real TLS on loopback, with a real settings file. Scans see only the injected
// loopback interface.

#include "Networking/BrotherAPIClient.h"
#include "Networking/CertificateTrustSession.h"
#include "State/AppState.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/Machines.h"
#include "support/Scans.h"
#include "support/TemporaryStore.h"

#include <QCoroTask>
#include <QCoroTimer>
#include <QDir>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

QByteArray infoBody(const QString& machineID, const QString& serial = QStringLiteral("S1"),
                    const std::optional<QString>& name = std::nullopt) {
    QJsonObject object{{QStringLiteral("serial"), serial}};
    if (!machineID.isEmpty())
        object.insert(QStringLiteral("machine-id"), machineID);
    if (name)
        object.insert(QStringLiteral("name"), *name);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The real info query over HTTPS, with a shorter time-out than the checks' own.
QCoro::Task<std::optional<MachineInfo>> quickQuery(QString host, qint64 port, double) {
    const BrotherAPIClient client(std::move(host), port, CertificateTrustSession::shared());
    co_return co_await client.fetchInfo(0.25);
}

// Everything this process holds open: files, sockets (connecting ones too), pipes.
int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System).size());
}

const QString noNetworkMessage =
    QStringLiteral("Couldn't scan the network. Make sure you're connected to Wi-Fi or Ethernet.");

} // namespace

class TestMachineMonitor : public QObject {
    Q_OBJECT

private slots:
    void firstCheckPinsIdentifierAndCertificate() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.40"))));
        machine.setInfoBody(infoBody(QStringLiteral("M-40")));
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine studio = state.machineList().addMachine(savedMachineAt(machine));

        QCoro::waitFor(state.monitor().check(studio));
        QCOMPARE(state.monitor().reachabilityOf(studio.id), Reachability::reachable);
        QCOMPARE(state.monitor().machineInfo().value(studio.id).machineID, QStringLiteral("M-40"));
        SavedMachine pinned = studio;
        pinned.machineID = QStringLiteral("M-40");
        pinned.fingerprint = machine.fingerprint();
        QCOMPARE(state.machineList().savedMachine(studio.id), pinned);
        QCOMPARE(storedMachines(store), QList{pinned});
        QVERIFY(!state.monitor().certificateChanged(pinned));

        // The machine now shows another certificate and another identifier: neither pin moves.
        machine.rotateCertificate();
        machine.closeConnections();
        machine.setInfoBody(infoBody(QStringLiteral("M-other")));
        QSignalSpy machinesChanged(&state.machineList(), &MachineList::machinesChanged);
        QCoro::waitFor(state.monitor().check(pinned));
        QCOMPARE(state.monitor().reachabilityOf(studio.id), Reachability::reachable);
        QCOMPARE(state.monitor().machineInfo().value(studio.id).certificateFingerprint,
                 machine.fingerprint());
        QCOMPARE(state.machineList().savedMachine(studio.id), pinned);
        QCOMPARE(machinesChanged.count(), 0);
        QVERIFY(state.monitor().certificateChanged(pinned));

        state.monitor().trustCurrentCertificate(pinned);
        SavedMachine trusted = pinned;
        trusted.fingerprint = machine.fingerprint();
        QCOMPARE(state.machineList().savedMachine(studio.id), trusted);
        QCOMPARE(storedMachines(store), QList{trusted});
        QVERIFY(!state.monitor().certificateChanged(trusted));
    }

    void trustingKeepsChangesMadeSinceTheScreenTookTheMachine() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.48"))));
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine taken =
            state.machineList().addMachine(savedMachineAt(machine, {.fingerprint = "OLD"}));
        QCoro::waitFor(state.monitor().check(taken));
        QVERIFY(state.monitor().certificateChanged(taken));

        // Meanwhile the machine was renamed (or moved by a scan); the screen still holds `taken`.
        SavedMachine renamed = *state.machineList().savedMachine(taken.id);
        renamed.name = QStringLiteral("Loft");
        state.machineList().updateMachine(renamed);
        state.monitor().trustCurrentCertificate(taken);
        SavedMachine expected = renamed;
        expected.fingerprint = machine.fingerprint();
        QCOMPARE(state.machineList().savedMachine(taken.id), expected);
    }

    void certificateChangedNeedsBothFingerprints() {
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine unpinned = state.machineList().addMachine(
            savedMachine({.name = "A", .host = "127.0.0.41", .port = closedPort("127.0.0.41")}));
        QVERIFY(!state.monitor().certificateChanged(unpinned)); // no pin, no info
        SavedMachine pinned = unpinned;
        pinned.fingerprint = QStringLiteral("AA");
        QVERIFY(!state.monitor().certificateChanged(pinned)); // no info yet

        // Trusting without a presented certificate changes nothing.
        QSignalSpy machinesChanged(&state.machineList(), &MachineList::machinesChanged);
        state.monitor().trustCurrentCertificate(pinned);
        QCOMPARE(machinesChanged.count(), 0);
        QCOMPARE(state.machineList().savedMachine(unpinned.id), unpinned);
    }

    void machineThatDoesNotAnswerIsUnreachable() {
        const QString host = QStringLiteral("127.0.0.42");
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine gone = state.machineList().addMachine(
            savedMachine({.name = "Gone", .host = host, .port = closedPort(host)}));
        QCoro::Task<> check = state.monitor().check(gone);
        QCOMPARE(state.monitor().reachabilityOf(gone.id), Reachability::checking);
        QCoro::waitFor(check);
        QCOMPARE(state.monitor().reachabilityOf(gone.id), Reachability::unreachable);
        QVERIFY(!state.monitor().machineInfo().contains(gone.id));
        QCOMPARE(state.machineList().savedMachine(gone.id), gone);
    }

    void staleCheckIsDropped_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("host edited") << QStringLiteral("host");
        QTest::newRow("port edited") << QStringLiteral("port");
        QTest::newRow("removed") << QStringLiteral("remove");
    }

    void staleCheckIsDropped() {
        QFETCH(QString, change);
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.43"))));
        machine.setInfoBody(infoBody(QStringLiteral("M-43")));
        machine.setDelay(300);
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine studio = state.machineList().addMachine(savedMachineAt(machine));

        QCoro::Task<> check = state.monitor().check(studio);
        QTRY_COMPARE(machine.requests().size(), 1); // the query is in flight
        SavedMachine edited = studio;
        if (change == QLatin1StringView("host"))
            edited.host = QStringLiteral("127.0.0.44");
        else if (change == QLatin1StringView("port"))
            edited.port = studio.port + 1;
        if (change == QLatin1StringView("remove"))
            state.machineList().removeMachine(studio);
        else
            state.machineList().updateMachine(edited);
        QCoro::waitFor(check);

        QVERIFY(!state.monitor().machineInfo().contains(studio.id));
        if (change == QLatin1StringView("remove")) {
            QVERIFY(state.machineList().machines().isEmpty());
            QVERIFY(!state.monitor().reachability().contains(studio.id));
        } else {
            QCOMPARE(state.monitor().reachabilityOf(studio.id), Reachability::checking);
            QCOMPARE(state.machineList().savedMachine(studio.id),
                     edited); // nothing pinned from the stale answer
        }
    }

    // A state may go while its checks and a scan are still out (a screen's test lets it); their
    // late answers are dropped, never written into the state that went.
    void answersArrivingAfterTheStateWentAreDropped() {
        TemporaryStore store;
        auto answered = std::make_shared<int>(0);
        MachineDiscovery::Environment slow = Scans::loopback({127, 0, 0, 1}, 8443);
        slow.probe = [answered](QString host, qint64 port,
                                double) -> QCoro::Task<std::optional<MachineInfo>> {
            co_await QCoro::sleepFor(std::chrono::milliseconds(100));
            ++*answered;
            MachineInfo info;
            info.host = host;
            info.port = port;
            info.machineID = QStringLiteral("M-") + host;
            info.certificateFingerprint = QStringLiteral("AB");
            co_return info;
        };
        SavedMachine studio = savedMachine({.host = "127.0.0.1", .port = 8443});
        {
            AppState state(store.open());
            studio = state.machineList().addMachine(studio);
            state.monitor().setDiscoveryEnvironment(slow);
            [[maybe_unused]] QCoro::Task<> opening = state.monitor().popoverDidOpen();
            [[maybe_unused]] QCoro::Task<> scanning = state.monitor().discover();
            QVERIFY(state.monitor().isDiscovering());
        }
        QTRY_COMPARE(*answered, 2); // the check, and the scan's probe of .2 (.1 is its own)
        QTest::qWait(50);
        QCOMPARE(storedMachines(store), QList<SavedMachine>{studio});
    }

    void checkAllRunsEveryCheckAtOnce() {
        FakeMachine first;
        FakeMachine second;
        QVERIFY(first.start(QHostAddress(QStringLiteral("127.0.0.45"))));
        QVERIFY(second.start(QHostAddress(QStringLiteral("127.0.0.46"))));
        first.setDelay(800);
        second.setDelay(800);
        const QString absent = QStringLiteral("127.0.0.47");
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine a = state.machineList().addMachine(savedMachineAt(first, {.name = "A"}));
        const SavedMachine b =
            state.machineList().addMachine(savedMachineAt(second, {.name = "B"}));
        const SavedMachine c = state.machineList().addMachine(
            savedMachine({.name = "C", .host = absent, .port = closedPort(absent)}));

        QCoro::Task<> all = state.monitor().checkAll();
        // Both slow machines were asked before either answered.
        QTRY_VERIFY(first.requests().size() == 1 && second.requests().size() == 1);
        QCOMPARE(state.monitor().reachabilityOf(a.id), Reachability::checking);
        QCOMPARE(state.monitor().reachabilityOf(b.id), Reachability::checking);
        QCoro::waitFor(all);
        QCOMPARE(state.monitor().reachabilityOf(a.id), Reachability::reachable);
        QCOMPARE(state.monitor().reachabilityOf(b.id), Reachability::reachable);
        QCOMPARE(state.monitor().reachabilityOf(c.id),
                 Reachability::unreachable); // one failure, no harm
    }

    // Hundreds of saved machines that take connections and never answer: the checks hold a
    // bounded number of connections at any moment, and none once they have all timed out.
    void checksOfManySilentMachinesHoldBoundedConnections() {
        FakeMachine silent;
        QVERIFY(silent.start(QHostAddress::AnyIPv4)); // every 127.x.y.z reaches it
        silent.setNeverAnswer(true);
        TemporaryStore store;
        AppState state(store.open());
        MachineDiscovery::Environment environment = Scans::noNetwork();
        environment.probe = &quickQuery;
        state.monitor().setDiscoveryEnvironment(environment);
        constexpr int count = 300;
        for (int i = 0; i < count; ++i)
            state.machineList().addMachine(
                savedMachine({.name = QStringLiteral("Silent %1").arg(i),
                              .host = QStringLiteral("127.1.%1.%2").arg(i / 200).arg(i % 200 + 1),
                              .port = silent.port()}));

        // Each connection counts twice here: our end and the fake machine's.
        const int before = openDescriptors();
        int most = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this,
                [&] { most = std::max(most, openDescriptors() - before); });
        sampler.start(2);
        QCoro::Task<> all = state.monitor().checkAll();
        for (const SavedMachine& machine :
             state.machineList().machines()) // waiting ones show as checked too
            QCOMPARE(state.monitor().reachabilityOf(machine.id), Reachability::checking);
        QCoro::waitFor(all);
        sampler.stop();

        QVERIFY2(most >= MachineMonitor::probeConcurrency &&
                     most <= 3 * MachineMonitor::probeConcurrency,
                 qPrintable(QString::number(most)));
        QTRY_VERIFY(openDescriptors() - before <= 4);
        for (const SavedMachine& machine : state.machineList().machines())
            QCOMPARE(state.monitor().reachabilityOf(machine.id), Reachability::unreachable);
    }

    void scanRelocatesAMachineByIdentifier() {
        // Saved at .50, now answering at .51 with the same identifier.
        FakeMachine moved;
        QVERIFY(moved.start(QHostAddress(QStringLiteral("127.0.0.51"))));
        moved.setInfoBody(infoBody(QStringLiteral("M-50")));
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine studio = state.machineList().addMachine(
            savedMachine({.host = "127.0.0.50", .machineID = "M-50"}));
        const SavedMachine other = state.machineList().addMachine(
            savedMachine({.name = "Other", .host = "127.0.0.60", .machineID = "M-60"}));
        state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 0, 1}, moved.port(), {255, 255, 255, 0}));

        QSignalSpy relocated(&state.monitor(), &MachineMonitor::relocatedMachineIDsChanged);
        QCoro::waitFor(state.monitor().discover());

        SavedMachine expected = studio;
        expected.host = QStringLiteral("127.0.0.51");
        expected.port = moved.port();
        expected.fingerprint = moved.fingerprint(); // pinned on this first answer
        QCOMPARE(state.machineList().savedMachine(studio.id), expected);
        QCOMPARE(storedMachines(store), (QList{expected, other}));
        QCOMPARE(state.monitor().relocatedMachineIDs(), QSet<QUuid>{studio.id});
        QVERIFY(relocated.count() >= 1);
        QCOMPARE(state.monitor().reachabilityOf(studio.id), Reachability::reachable);
        QCOMPARE(state.monitor().machineInfo().value(studio.id).host, QStringLiteral("127.0.0.51"));
        QVERIFY(state.monitor().discovered().isEmpty());
        QVERIFY(state.monitor().hasScanned());
        QVERIFY(!state.monitor().isDiscovering());
        QCOMPARE(state.monitor().discoveryError(), std::nullopt);

        // The next scan starts afresh: the machine is where it is now, nothing is relocated.
        QCoro::waitFor(state.monitor().discover());
        QVERIFY(state.monitor().relocatedMachineIDs().isEmpty());
        QCOMPARE(state.machineList().savedMachine(studio.id), expected);
    }

    void scanRecognisesAMachineWithoutIdentifierByAddress() {
        // The scanned /30 holds .53 (this computer's own, never probed) and .54.
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.54"))));
        machine.setInfoBody(infoBody(QStringLiteral("M-54")));
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine studio = state.machineList().addMachine(savedMachineAt(machine));
        // Same host, other port, no identifier: another machine, left alone.
        const SavedMachine elsewhere = state.machineList().addMachine(savedMachine(
            {.name = "Elsewhere", .host = machine.host(), .port = machine.port() + 1}));
        state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 53}, machine.port()));

        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(machine.requests().size(), 1);
        SavedMachine expected = studio;
        expected.machineID = QStringLiteral("M-54");
        expected.fingerprint = machine.fingerprint();
        QCOMPARE(state.machineList().savedMachine(studio.id),
                 expected); // address kept, identity pinned
        QCOMPARE(state.machineList().savedMachine(elsewhere.id), elsewhere);
        QVERIFY(state.monitor().relocatedMachineIDs().isEmpty());
        QVERIFY(state.monitor().discovered().isEmpty());
        QCOMPARE(state.monitor().reachabilityOf(studio.id), Reachability::reachable);
        QCOMPARE(state.monitor().reachabilityOf(elsewhere.id), Reachability::unknown);
    }

    void duplicateAnswersMakeOneEntry() {
        // Two addresses answer with one identifier: one entry, the first to arrive.
        FakeMachine first;
        QVERIFY(first.start(QHostAddress(QStringLiteral("127.0.0.57"))));
        FakeMachine second;
        QVERIFY(second.start(QHostAddress(QStringLiteral("127.0.0.58")), first.port()));
        first.setInfoBody(infoBody(QStringLiteral("M-57")));
        second.setInfoBody(infoBody(QStringLiteral("M-57")));
        TemporaryStore store;
        AppState state(store.open());
        state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 0, 1}, first.port(), {255, 255, 255, 0}));
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(first.requests().size(), 1);
        QCOMPARE(second.requests().size(), 1);
        QCOMPARE(state.monitor().discovered().size(), 1);
        QCOMPARE(state.monitor().discovered().first().machineID, QStringLiteral("M-57"));
        QVERIFY(state.machineList().machines().isEmpty());

        // Without identifiers, one host and port answering twice is also one entry. Only a
        // prober can answer twice for one address, so this one reports every probe as .59.
        MachineDiscovery::Environment twice =
            Scans::loopback({127, 0, 0, 1}, 8443, {255, 255, 255, 248});
        twice.probe = [](QString, qint64 port, double) -> QCoro::Task<std::optional<MachineInfo>> {
            MachineInfo info;
            info.host = QStringLiteral("127.0.0.59");
            info.port = port;
            info.serial = QStringLiteral("S-59");
            co_return info;
        };
        state.monitor().setDiscoveryEnvironment(twice);
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(state.monitor().discovered().size(), 1);
        QCOMPARE(MachineMonitor::discoveredKey(state.monitor().discovered().first()),
                 QStringLiteral("127.0.0.59:8443"));
    }

    void addingAMachineDropsItsDiscoveredEntries() {
        TemporaryStore store;
        AppState state(store.open());
        // A /29 of loopback: .2 answers with an identifier, .3 without one under a host name.
        MachineDiscovery::Environment scan =
            Scans::loopback({127, 0, 0, 1}, 8443, {255, 255, 255, 248});
        scan.probe = [](QString host, qint64 port,
                        double) -> QCoro::Task<std::optional<MachineInfo>> {
            MachineInfo info;
            info.port = port;
            info.serial = QStringLiteral("S");
            if (host == QLatin1StringView("127.0.0.2")) {
                info.host = host;
                info.machineID = QStringLiteral("M-2");
                co_return info;
            }
            if (host == QLatin1StringView("127.0.0.3")) {
                info.host = QStringLiteral("Sew.LAN");
                co_return info;
            }
            co_return std::nullopt;
        };
        state.monitor().setDiscoveryEnvironment(scan);
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(state.monitor().discovered().size(), 2);

        // Same identifier at another address: the entry goes.
        state.machineList().addMachine(
            savedMachine({.name = "A", .host = "10.9.9.9", .machineID = "M-2"}));
        QCOMPARE(state.monitor().discovered().size(), 1);
        // Same host on another port: it stays.
        state.machineList().addMachine(savedMachine({.name = "B", .host = "sew.lan"}));
        QCOMPARE(state.monitor().discovered().size(), 1);
        // Same host in other letter case and the same port: it goes.
        state.machineList().addMachine(
            savedMachine({.name = "C", .host = "sew.lan", .port = 8443}));
        QVERIFY(state.monitor().discovered().isEmpty());
    }

    void discoveredKeys() {
        MachineInfo info;
        info.host = QStringLiteral("192.168.1.5");
        QCOMPARE(MachineMonitor::discoveredKey(info), QStringLiteral("192.168.1.5"));
        info.port = 8443;
        QCOMPARE(MachineMonitor::discoveredKey(info), QStringLiteral("192.168.1.5:8443"));
        info.machineID = QStringLiteral("M-1");
        QCOMPARE(MachineMonitor::discoveredKey(info), QStringLiteral("M-1"));
    }

    void addingADiscoveredMachine() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.62"))));
        machine.setInfoBody(infoBody(QStringLiteral("M-62"))); // no name in the reply
        FakeMachine named;
        QVERIFY(named.start(QHostAddress(QStringLiteral("127.0.0.61")), machine.port()));
        named.setInfoBody(infoBody(QString(), QStringLiteral("S-61"), QStringLiteral(" Loft ")));
        TemporaryStore store;
        AppState state(store.open());
        state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 60}, machine.port()));
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(state.monitor().discovered().size(), 2);

        const MachineInfo answer = *std::find_if(
            state.monitor().discovered().cbegin(), state.monitor().discovered().cend(),
            [](const MachineInfo& info) { return info.machineID == QStringLiteral("M-62"); });
        state.monitor().addDiscovered(answer);
        QCOMPARE(state.machineList().machines().size(), 1);
        const SavedMachine added = state.machineList().machines().first();
        QCOMPARE(added.name, QStringLiteral("Brother machine"));
        QCOMPARE(added.host, QStringLiteral("127.0.0.62"));
        QCOMPARE(added.port, machine.port());
        QCOMPARE(added.model, std::nullopt);
        QCOMPARE(added.machineID, QStringLiteral("M-62"));
        QCOMPARE(added.fingerprint, machine.fingerprint());
        QCOMPARE(state.machineList().selectedMachineID(), added.id);
        QCOMPARE(state.monitor().reachabilityOf(added.id), Reachability::reachable);
        QCOMPARE(state.monitor().machineInfo().value(added.id), answer);
        QCOMPARE(state.monitor().discovered().size(), 1);
        QCOMPARE(state.monitor().discovered().first().host, QStringLiteral("127.0.0.61"));
        QCOMPARE(storedMachines(store), QList{added});

        state.monitor().addDiscovered(state.monitor().discovered().first());
        QCOMPARE(state.machineList().machines().last().name, QStringLiteral("Loft"));
        QVERIFY(state.monitor().discovered().isEmpty());
    }

    void scanWithoutNetwork() {
        TemporaryStore store;
        AppState state(store.open());
        state.monitor().setDiscoveryEnvironment(Scans::noNetwork());
        QSignalSpy error(&state.monitor(), &MachineMonitor::discoveryErrorChanged);
        QSignalSpy scanned(&state.monitor(), &MachineMonitor::hasScannedChanged);
        QSignalSpy discovering(&state.monitor(), &MachineMonitor::isDiscoveringChanged);
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(state.monitor().discoveryError(), noNetworkMessage);
        QVERIFY(state.monitor().hasScanned());
        QVERIFY(!state.monitor().isDiscovering());
        QVERIFY(state.monitor().discovered().isEmpty());
        QCOMPARE(error.count(), 1);
        QCOMPARE(scanned.count(), 1);
        QCOMPARE(discovering.count(), 2);

        // A scan that completes, even finding nothing, clears the message.
        state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 0, 1}, 443, {255, 255, 255, 255}));
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(state.monitor().discoveryError(), std::nullopt);
        QCOMPARE(scanned.count(), 1); // stays true without a new notification
    }

    void oneScanAtATime() {
        FakeMachine slow;
        QVERIFY(slow.start(QHostAddress(QStringLiteral("127.0.0.66"))));
        slow.setDelay(300);
        TemporaryStore store;
        AppState state(store.open());
        auto scans = std::make_shared<std::atomic<int>>(0);
        state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 0, 65}, slow.port(), {255, 255, 255, 252}, scans));
        QCoro::Task<> first = state.monitor().discover();
        QVERIFY(state.monitor().isDiscovering());
        QCoro::Task<> second = state.monitor().discover();
        QVERIFY(second.isReady()); // returned at once
        QCoro::waitFor(first);
        QCOMPARE(scans->load(), 1);
        QCOMPARE(slow.requests().size(), 1);
        QCOMPARE(state.monitor().discovered().size(), 1);
    }

    void openingThePopover_data() {
        QTest::addColumn<QString>("machines");
        QTest::addColumn<bool>("scans");
        QTest::newRow("no machine saved") << QStringLiteral("none") << true;
        QTest::newRow("selected machine answers") << QStringLiteral("answers") << false;
        QTest::newRow("selected machine does not answer") << QStringLiteral("silent") << true;
        QTest::newRow("another machine does not answer") << QStringLiteral("other silent") << false;
    }

    void openingThePopover() {
        QFETCH(QString, machines);
        QFETCH(bool, scans);
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.70"))));
        const QString absent = QStringLiteral("127.0.0.71");
        TemporaryStore store;
        AppState state(store.open());
        auto scanCount = std::make_shared<std::atomic<int>>(0);
        state.monitor().setDiscoveryEnvironment(Scans::noNetwork(scanCount));
        const SavedMachine answering = savedMachineAt(machine, {.name = "Up"});
        const SavedMachine silent =
            savedMachine({.name = "Down", .host = absent, .port = closedPort(absent)});
        if (machines == QLatin1StringView("answers")) {
            state.machineList().addMachine(answering);
        } else if (machines == QLatin1StringView("silent")) {
            state.machineList().addMachine(answering);
            state.machineList().addMachine(silent);
        } else if (machines == QLatin1StringView("other silent")) {
            state.machineList().addMachine(silent);
            state.machineList().addMachine(answering);
            state.machineList().selectMachine(answering);
        }

        QCoro::waitFor(state.monitor().popoverDidOpen());
        for (const SavedMachine& saved : state.machineList().machines())
            QVERIFY(state.monitor().reachabilityOf(saved.id) != Reachability::checking);
        QCOMPARE(scanCount->load(), scans ? 1 : 0);
        QCOMPARE(state.monitor().hasScanned(), scans);
        QCOMPARE(machine.requests().size(), machines == QLatin1StringView("none") ? 0 : 1);
    }
};

QTEST_GUILESS_MAIN(TestMachineMonitor)
#include "test_machine_monitor.moc"
