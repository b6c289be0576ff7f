// The state object's store: loading, persisting, the selection rules and change notification.

#include "State/AppState.h"
#include "Support/JsonFields.h"
#include "Support/SettingsStore.h"
#include "support/TemporaryStore.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

SavedMachine machine(const QString& name, const QString& host = QStringLiteral("10.0.0.2"),
                     std::optional<QString> machineID = std::nullopt) {
    return SavedMachine{QUuid::createUuid(), name, host, 443, std::nullopt, std::nullopt,
                        std::move(machineID)};
}

QStringList names(const QList<SavedMachine>& machines) {
    QStringList result;
    for (const SavedMachine& saved : machines)
        result.append(saved.name);
    return result;
}

} // namespace

class TestAppState : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreLoadsNothingAndWritesNothing() {
        TemporaryStore store;
        AppState state(store.open());
        QVERIFY(state.machines().isEmpty());
        QVERIFY(!state.selectedMachineID());
        QVERIFY(!state.selectedMachine());
        QVERIFY(state.sendLog().isEmpty());
        QVERIFY(std::holds_alternative<SendStatuses::Idle>(state.sendStatus()));
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
            QCOMPARE(names(state.machines()), QStringList{"A"});
            QVERIFY(!state.selectedMachineID());
            QVERIFY(state.sendLog().isEmpty());
        }
        QCOMPARE(store.read(SettingsStore::machinesKey), machinesBefore);
        QCOMPARE(store.read(SettingsStore::recentSendsKey).toByteArray(), QByteArray("\xff\xfe[{"));
        QCOMPARE(store.read(QStringLiteral("bobbinlark.machines.unreadable")), machinesBefore);

        // A log of which nothing reads is rewritten only when the log next changes.
        AppState state(store.open());
        state.clearRecents();
        QCOMPARE(store.read(SettingsStore::recentSendsKey).toByteArray(), QByteArray("[]"));
        QCOMPARE(store.read(QStringLiteral("bobbinlark.recentSends.unreadable")).toByteArray(),
                 QByteArray("\xff\xfe[{"));
    }

    void staleSelectionIsKeptUntilReplaced() {
        TemporaryStore store;
        const SavedMachine first = machine(QStringLiteral("First"));
        const QUuid stale = QUuid::createUuid();
        {
            auto raw = store.open();
            raw->setValue(SettingsStore::machinesKey, SavedMachine::encodeList({first}));
            raw->setValue(SettingsStore::selectedMachineKey, JsonFields::uuidText(stale));
        }
        AppState state(store.open());
        QCOMPARE(state.selectedMachineID(), std::optional(stale));
        QCOMPARE(state.selectedMachine().value_or(SavedMachine{}), first);

        const SavedMachine second = state.addMachine(machine(QStringLiteral("Second")));
        QCOMPARE(state.selectedMachineID(), std::optional(second.id));
        QCOMPARE(store.read(SettingsStore::selectedMachineKey).toString(),
                 JsonFields::uuidText(second.id));
    }

    void addingPersistsBothKeysAndSelectsTheNewest() {
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine a = state.addMachine(machine(QStringLiteral("A")));
        QCOMPARE(state.selectedMachineID(), std::optional(a.id));
        QVERIFY(store.contains(SettingsStore::machinesKey));
        const SavedMachine b = state.addMachine(machine(QStringLiteral("B")));
        QCOMPARE(state.selectedMachine().value_or(SavedMachine{}), b);

        AppState reloaded(store.open());
        QCOMPARE(reloaded.machines(), (QList<SavedMachine>{a, b}));
        QCOMPARE(reloaded.selectedMachineID(), std::optional(b.id));
    }

    void removingTheSelectedMachineSelectsTheFirstRemaining() {
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine a = state.addMachine(machine(QStringLiteral("A")));
        const SavedMachine b = state.addMachine(machine(QStringLiteral("B")));
        const SavedMachine c = state.addMachine(machine(QStringLiteral("C")));
        state.selectMachine(b);
        state.removeMachine(b);
        QCOMPARE(state.selectedMachineID(), std::optional(a.id)); // first, not the next one
        QCOMPARE(state.machines(), (QList<SavedMachine>{a, c}));

        // Removing one that is not selected leaves the selection alone.
        state.removeMachine(c);
        QCOMPARE(state.selectedMachineID(), std::optional(a.id));

        state.removeMachine(a);
        QVERIFY(!state.selectedMachineID());
        QVERIFY(!store.contains(SettingsStore::selectedMachineKey));
        QCOMPARE(store.read(SettingsStore::machinesKey).toByteArray(), QByteArray("[]"));
    }

    void updateReplacesInPlaceOrIgnoresUnknownIDs() {
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine a = state.addMachine(machine(QStringLiteral("A")));
        const SavedMachine b = state.addMachine(machine(QStringLiteral("B")));
        SavedMachine renamed = a;
        renamed.name = QStringLiteral("Renamed");
        state.updateMachine(renamed);
        QCOMPARE(state.machines(), (QList<SavedMachine>{renamed, b}));
        QCOMPARE(state.selectedMachineID(), std::optional(b.id));

        const QVariant before = store.read(SettingsStore::machinesKey);
        QSignalSpy changed(&state, &AppState::machinesChanged);
        state.updateMachine(machine(QStringLiteral("Stranger")));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(store.read(SettingsStore::machinesKey), before);
    }

    void notifiesOnlyOnRealChange() {
        TemporaryStore store;
        AppState state(store.open());
        QSignalSpy status(&state, &AppState::sendStatusChanged);
        state.setSendStatus(SendStatuses::Idle{});
        QCOMPARE(status.count(), 0);
        state.setSendStatus(SendStatuses::Error{QStringLiteral("x")});
        state.setSendStatus(SendStatuses::Error{QStringLiteral("x")});
        QCOMPARE(status.count(), 1);
        state.setSendStatus(SendStatuses::Error{QStringLiteral("y")});
        QCOMPARE(status.count(), 2);

        QSignalSpy selection(&state, &AppState::selectedMachineIDChanged);
        const SavedMachine a = state.addMachine(machine(QStringLiteral("A")));
        state.selectMachine(a);
        QCOMPARE(selection.count(), 1);
    }

    void matchRuleForDiscoveredAnswers() {
        MachineInfo byID;
        byID.host = QStringLiteral("10.0.0.9");
        byID.machineID = QStringLiteral("X1");
        const SavedMachine sameID =
            machine(QStringLiteral("A"), QStringLiteral("10.0.0.7"), QStringLiteral("X1"));
        QVERIFY(AppState::matches(byID, sameID)); // identifiers decide, addresses do not

        MachineInfo byHost;
        byHost.host = QStringLiteral("Printer.LAN");
        const SavedMachine sameHost = machine(QStringLiteral("B"), QStringLiteral("printer.lan"));
        QVERIFY(AppState::matches(byHost, sameHost));
        SavedMachine otherPort = sameHost;
        otherPort.port = 8443;
        QVERIFY(!AppState::matches(byHost, otherPort));
        SavedMachine otherID = sameID;
        otherID.machineID = QStringLiteral("X2");
        otherID.host = byID.host;
        QVERIFY(!AppState::matches(byID, otherID));
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
            state.setSendLog({entry});
        }
        // Written in a different but equivalent form, the log is rewritten compactly at load.
        QByteArray spaced = store.read(SettingsStore::recentSendsKey).toByteArray();
        spaced.replace(",", " , ");
        store.open()->setValue(SettingsStore::recentSendsKey, spaced);
        AppState state(store.open());
        QCOMPARE(state.sendLog(), QList<SendLogEntry>{entry});
        QVERIFY(!store.read(SettingsStore::recentSendsKey).toByteArray().contains(" , "));

        state.setSendLog({});
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
        const SavedMachine a = state.addMachine(machine(QStringLiteral("A")));
        state.setSendLog({SendLogEntry{QUuid::createUuid(), 0, QStringLiteral("A"),
                                       QUrl::fromLocalFile(QStringLiteral("/a.pes")), true,
                                       QStringLiteral("Sent to A")}});
        QCOMPARE(state.machines(), QList<SavedMachine>{a});
        QCOMPARE(state.selectedMachineID(), std::optional(a.id));
        QCOMPARE(state.sendLog().size(), 1);
        // Said where the user looks, not only kept.
        QVERIFY(state.storeProblem());
        QVERIFY(state.storeProblem()->contains(QStringLiteral("cannot be reached")));
        QVERIFY(state.sendStatus() == SendStatus(SendStatuses::Error{*state.storeProblem()}));
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestAppState)
#include "test_app_state.moc"
