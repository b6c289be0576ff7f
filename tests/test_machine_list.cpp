// The state object's store: loading, persisting, the selection rules and change notification.

#include "State/AppState.h"
#include "Support/JsonFields.h"
#include "Support/SettingsStore.h"
#include "support/Machines.h"
#include "support/TemporaryStore.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {} // namespace

class TestMachineList : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreLoadsNothingAndWritesNothing() {
        TemporaryStore store;
        AppState state(store.open());
        QVERIFY(state.machineList().machines().isEmpty());
        QVERIFY(!state.machineList().selectedMachineID());
        QVERIFY(!state.machineList().selectedMachine());
        QVERIFY(state.recentSends().sendLog().isEmpty());
        QVERIFY(std::holds_alternative<SendStatuses::Idle>(state.sendQueue().sendStatus()));
        QVERIFY(store.open()->allKeys().isEmpty());
    }

    void damagedValuesLoadWhatReadsAndStayUntilOverwritten() {
        TemporaryStore store;
        {
            auto raw = store.open();
            raw->setValue(
                SettingsStore::machinesKey,
                QByteArray("[{\"id\":\"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21\",\"name\":\"A\","
                           "\"host\":\"h\",\"port\":443},{\"id\":\"7B1C2E4A-9F3D-4C8B-A2E1-"
                           "0D5F7B9C3A21\",\"name\":\"B\",\"host\":\"h\"}]"));
            raw->setValue(SettingsStore::selectedMachineKey, QStringLiteral("nonsense"));
            raw->setValue(SettingsStore::recentSendsKey, QByteArray("\xff\xfe[{"));
        }
        const QVariant machinesBefore = store.read(SettingsStore::machinesKey);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bobbinlark.machines.unreadable$"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("bobbinlark.recentSends.unreadable$"));
        {
            AppState state(store.open());
            // The record without a port is skipped; the other one is used.
            QCOMPARE(machineNames(state.machineList().machines()), QStringList{"A"});
            QVERIFY(!state.machineList().selectedMachineID());
            QVERIFY(state.recentSends().sendLog().isEmpty());
        }
        QCOMPARE(store.read(SettingsStore::machinesKey), machinesBefore);
        QCOMPARE(store.read(SettingsStore::recentSendsKey).toByteArray(), QByteArray("\xff\xfe[{"));
        QCOMPARE(store.read(QStringLiteral("bobbinlark.machines.unreadable")), machinesBefore);

        // A log of which nothing reads is rewritten only when the log next changes.
        AppState state(store.open());
        state.recentSends().clearRecents();
        QCOMPARE(store.read(SettingsStore::recentSendsKey).toByteArray(), QByteArray("[]"));
        QCOMPARE(store.read(QStringLiteral("bobbinlark.recentSends.unreadable")).toByteArray(),
                 QByteArray("\xff\xfe[{"));
    }

    void staleSelectionIsKeptUntilReplaced() {
        TemporaryStore store;
        const SavedMachine first = savedMachine({.name = "First"});
        const QUuid stale = QUuid::createUuid();
        {
            auto raw = store.open();
            raw->setValue(SettingsStore::machinesKey, SavedMachine::encodeList({first}));
            raw->setValue(SettingsStore::selectedMachineKey, JsonFields::uuidText(stale));
        }
        AppState state(store.open());
        QCOMPARE(state.machineList().selectedMachineID(), std::optional(stale));
        QCOMPARE(state.machineList().selectedMachine().value_or(SavedMachine{}), first);

        const SavedMachine second =
            state.machineList().addMachine(savedMachine({.name = "Second"}));
        QCOMPARE(state.machineList().selectedMachineID(), std::optional(second.id));
        QCOMPARE(store.read(SettingsStore::selectedMachineKey).toString(),
                 JsonFields::uuidText(second.id));
    }

    void addingPersistsBothKeysAndSelectsTheNewest() {
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine a = state.machineList().addMachine(savedMachine({.name = "A"}));
        QCOMPARE(state.machineList().selectedMachineID(), std::optional(a.id));
        QVERIFY(store.contains(SettingsStore::machinesKey));
        const SavedMachine b = state.machineList().addMachine(savedMachine({.name = "B"}));
        QCOMPARE(state.machineList().selectedMachine().value_or(SavedMachine{}), b);

        AppState reloaded(store.open());
        QCOMPARE(reloaded.machineList().machines(), (QList<SavedMachine>{a, b}));
        QCOMPARE(reloaded.machineList().selectedMachineID(), std::optional(b.id));
    }

    void removingTheSelectedMachineSelectsTheFirstRemaining() {
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine a = state.machineList().addMachine(savedMachine({.name = "A"}));
        const SavedMachine b = state.machineList().addMachine(savedMachine({.name = "B"}));
        const SavedMachine c = state.machineList().addMachine(savedMachine({.name = "C"}));
        state.machineList().selectMachine(b);
        state.machineList().removeMachine(b);
        QCOMPARE(state.machineList().selectedMachineID(),
                 std::optional(a.id)); // first, not the next one
        QCOMPARE(state.machineList().machines(), (QList<SavedMachine>{a, c}));

        // Removing one that is not selected leaves the selection alone.
        state.machineList().removeMachine(c);
        QCOMPARE(state.machineList().selectedMachineID(), std::optional(a.id));

        state.machineList().removeMachine(a);
        QVERIFY(!state.machineList().selectedMachineID());
        QVERIFY(!store.contains(SettingsStore::selectedMachineKey));
        QCOMPARE(store.read(SettingsStore::machinesKey).toByteArray(), QByteArray("[]"));
    }

    void updateReplacesInPlaceOrIgnoresUnknownIDs() {
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine a = state.machineList().addMachine(savedMachine({.name = "A"}));
        const SavedMachine b = state.machineList().addMachine(savedMachine({.name = "B"}));
        SavedMachine renamed = a;
        renamed.name = QStringLiteral("Renamed");
        state.machineList().updateMachine(renamed);
        QCOMPARE(state.machineList().machines(), (QList<SavedMachine>{renamed, b}));
        QCOMPARE(state.machineList().selectedMachineID(), std::optional(b.id));

        const QVariant before = store.read(SettingsStore::machinesKey);
        QSignalSpy changed(&state.machineList(), &MachineList::machinesChanged);
        state.machineList().updateMachine(savedMachine({.name = "Stranger"}));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(store.read(SettingsStore::machinesKey), before);
    }

    void notifiesOnlyOnRealChange() {
        TemporaryStore store;
        AppState state(store.open());
        QSignalSpy status(&state.sendQueue(), &SendQueue::sendStatusChanged);
        state.sendQueue().setSendStatus(SendStatuses::Idle{});
        QCOMPARE(status.count(), 0);
        state.sendQueue().setSendStatus(SendStatuses::Error{QStringLiteral("x")});
        state.sendQueue().setSendStatus(SendStatuses::Error{QStringLiteral("x")});
        QCOMPARE(status.count(), 1);
        state.sendQueue().setSendStatus(SendStatuses::Error{QStringLiteral("y")});
        QCOMPARE(status.count(), 2);

        QSignalSpy selection(&state.machineList(), &MachineList::selectedMachineIDChanged);
        const SavedMachine a = state.machineList().addMachine(savedMachine({.name = "A"}));
        state.machineList().selectMachine(a);
        QCOMPARE(selection.count(), 1);
    }

    void matchRuleForDiscoveredAnswers() {
        MachineInfo byID;
        byID.host = QStringLiteral("10.0.0.9");
        byID.machineID = QStringLiteral("X1");
        const SavedMachine sameID =
            savedMachine({.name = "A", .host = "10.0.0.7", .machineID = "X1"});
        QVERIFY(MachineMonitor::matches(byID, sameID)); // identifiers decide, addresses do not

        MachineInfo byHost;
        byHost.host = QStringLiteral("Printer.LAN");
        const SavedMachine sameHost = savedMachine({.name = "B", .host = "printer.lan"});
        QVERIFY(MachineMonitor::matches(byHost, sameHost));
        SavedMachine otherPort = sameHost;
        otherPort.port = 8443;
        QVERIFY(!MachineMonitor::matches(byHost, otherPort));
        SavedMachine otherID = sameID;
        otherID.machineID = QStringLiteral("X2");
        otherID.host = byID.host;
        QVERIFY(!MachineMonitor::matches(byID, otherID));
    }

    void sendLogRoundTripsAndIsRewrittenAtLoad() {
        TemporaryStore store;
        const SendLogEntry entry{QUuid::createUuid(),
                                 1.5,
                                 QStringLiteral("Studio"),
                                 QUrl::fromLocalFile(QStringLiteral("/tmp/a.pes")),
                                 false,
                                 QStringLiteral("Nope")};
        {
            AppState state(store.open());
            state.recentSends().setSendLog({entry});
        }
        // Written in a different but equivalent form, the log is rewritten compactly at load.
        QByteArray spaced = store.read(SettingsStore::recentSendsKey).toByteArray();
        spaced.replace(",", " , ");
        store.open()->setValue(SettingsStore::recentSendsKey, spaced);
        AppState state(store.open());
        QCOMPARE(state.recentSends().sendLog(), QList<SendLogEntry>{entry});
        QVERIFY(!store.read(SettingsStore::recentSendsKey).toByteArray().contains(" , "));

        state.recentSends().setSendLog({});
        QCOMPARE(store.read(SettingsStore::recentSendsKey).toByteArray(), QByteArray("[]"));
    }

    void unwritableStoreKeepsTheInMemoryChange() {
        // A store whose folder is a plain file cannot be written, not even by root.
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString path = dir.filePath(QStringLiteral("blocker/Bobbinlark.conf"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be reached"));
        AppState state(SettingsStore::openFile(path));
        const SavedMachine a = state.machineList().addMachine(savedMachine({.name = "A"}));
        state.recentSends().setSendLog({SendLogEntry{QUuid::createUuid(), 0, QStringLiteral("A"),
                                                     QUrl::fromLocalFile(QStringLiteral("/a.pes")),
                                                     true, QStringLiteral("Sent to A")}});
        QCOMPARE(state.machineList().machines(), QList<SavedMachine>{a});
        QCOMPARE(state.machineList().selectedMachineID(), std::optional(a.id));
        QCOMPARE(state.recentSends().sendLog().size(), 1);
        // Said where the user looks, not only kept.
        QVERIFY(state.store().storeProblem());
        QVERIFY(state.store().storeProblem()->contains(QStringLiteral("cannot be reached")));
        QVERIFY(state.sendQueue().sendStatus() ==
                SendStatus(SendStatuses::Error{*state.store().storeProblem()}));
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestMachineList)
#include "test_machine_list.moc"
