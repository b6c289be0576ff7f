// The stored machines and recent sends under damage and under several writers at once: a record
// that does not read costs only itself and its bytes are kept, and no writer, in this process or
// another, loses a record another one wrote.

#include "State/AppState.h"
#include "Support/JsonFields.h"
#include "Support/SettingsStore.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/Files.h"
#include "support/Machines.h"
#include "support/TemporaryStore.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace {

QByteArray machineJSON(const SavedMachine& saved) {
    return QJsonDocument(saved.toJson()).toJson(QJsonDocument::Compact);
}

SendLogEntry entry(int number) {
    return SendLogEntry{QUuid::createUuid(),
                        1000.0 - number,
                        QStringLiteral("Studio"),
                        QUrl::fromLocalFile(QStringLiteral("/designs/%1.pes").arg(number)),
                        true,
                        QStringLiteral("Sent to Studio")};
}

QByteArray entryJSON(const SendLogEntry& logged) {
    return QJsonDocument(logged.toJson()).toJson(QJsonDocument::Compact);
}

// bobbinlark-tool processes on a user folder of their own, started together.
class Tools {
public:
    explicit Tools(const QString& home)
        : m_home(home) {}

    void start(const QStringList& arguments,
               const QString& program = QStringLiteral(BOBBINLARK_TOOL_PATH)) {
        auto tool = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home);
        // No program the developer runs may take the work.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home);
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        tool->setProcessEnvironment(environment);
        tool->start(program, arguments);
        m_tools.push_back(std::move(tool));
    }

    // Waits with the event loop running: a fake machine in this process answers the tools.
    bool finish() {
        for (const auto& tool : m_tools) {
            if (tool->state() != QProcess::NotRunning &&
                !QSignalSpy(tool.get(), &QProcess::finished).wait(30000))
                return false;
        }
        return true;
    }

    // Ends a process that runs until told to stop (the program).
    void stop(qsizetype index) {
        QProcess& process = *m_tools.at(static_cast<std::size_t>(index));
        process.terminate();
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Ends a process at once, as a crash or the kernel does.
    void kill(qsizetype index) {
        QProcess& process = *m_tools.at(static_cast<std::size_t>(index));
        process.kill();
        process.waitForFinished();
    }

    qsizetype count() const { return static_cast<qsizetype>(m_tools.size()); }

    QList<QByteArray> errors() const {
        QList<QByteArray> said;
        for (const auto& tool : m_tools)
            said.append(tool->readAllStandardError());
        return said;
    }

    QList<int> exitCodes() const {
        QList<int> codes;
        for (const auto& tool : m_tools)
            codes.append(tool->exitStatus() == QProcess::NormalExit ? tool->exitCode() : -1);
        return codes;
    }

    QString storePath() const { return m_home + QStringLiteral("/Bobbinlark/Bobbinlark.conf"); }

private:
    QString m_home;
    std::vector<std::unique_ptr<QProcess>> m_tools;
};

} // namespace

class TestStateStore : public QObject {
    Q_OBJECT

private slots:
    // Damaged values.

    void oneUnreadableMachineCostsOnlyItselfAndIsKept() {
        TemporaryStore store;
        const SavedMachine first = savedMachine({.name = "First"});
        const SavedMachine third = savedMachine({.name = "Third"});
        const QByteArray stored = '[' + machineJSON(first) + ',' +
                                  R"({"id":"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21","name":"Second",)"
                                  R"("host":"10.0.0.3","port":"9443"},)" +
                                  machineJSON(third) + ']';
        store.open()->setValue(SettingsStore::machinesKey, stored);

        QTest::ignoreMessage(QtWarningMsg,
                             "Bobbinlark: some of bobbinlark.machines could not be read; it is "
                             "kept as it was under bobbinlark.machines.unreadable");
        AppState state(store.open());
        QCOMPARE(state.machineList().machines(), (QList<SavedMachine>{first, third}));
        QCOMPARE(store.read(QStringLiteral("bobbinlark.machines.unreadable")).toByteArray(),
                 stored);

        // The next write keeps both readable machines; the damaged one stays recoverable.
        const SavedMachine added = state.machineList().addMachine(savedMachine({.name = "Added"}));
        AppState reloaded(store.open()); // the kept value is not kept again, nor said again
        QCOMPARE(reloaded.machineList().machines(), (QList<SavedMachine>{first, third, added}));
        QCOMPARE(store.read(QStringLiteral("bobbinlark.machines.unreadable")).toByteArray(),
                 stored);
    }

    void oneUnreadableLogEntryCostsOnlyItselfAndIsKept() {
        TemporaryStore store;
        QList<SendLogEntry> readable;
        QByteArray stored = "[";
        for (int i = 0; i < 43; ++i) {
            if (i == 20) {
                stored += R"({"id":"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21","date":5,)"
                          R"("machineName":"Studio","fileURL":"file:///designs/odd.pes",)"
                          R"("ok":1,"message":"Sent to Studio"},)";
                continue;
            }
            readable.append(entry(i));
            stored += entryJSON(readable.last()) + (i == 42 ? "" : ",");
        }
        stored += ']';
        store.open()->setValue(SettingsStore::recentSendsKey, stored);

        QTest::ignoreMessage(QtWarningMsg,
                             "Bobbinlark: some of bobbinlark.recentSends could not be read; it "
                             "is kept as it was under bobbinlark.recentSends.unreadable");
        AppState state(store.open());
        QCOMPARE(state.recentSends().sendLog(), readable);

        // The next send adds its entry to the 42 that read; nothing is lost, nothing doubled.
        state.machineList().addMachine(
            savedMachine({.name = "Closed", .host = "127.0.0.1", .port = 1}));
        state.sendQueue().setUploadTimeout(std::chrono::milliseconds(1000));
        QTemporaryDir files;
        const QString path = files.filePath(QStringLiteral("new.pes"));
        QVERIFY(writeFile(path, "#PES0001"));
        QSignalSpy finished(&state.sendQueue(), &SendQueue::batchFinished);
        state.sendQueue().send({QUrl::fromLocalFile(path)});
        QVERIFY(finished.wait(10000));
        AppState reloaded(store.open());
        QCOMPARE(reloaded.recentSends().sendLog().size(), 43);
        QCOMPARE(reloaded.recentSends().sendLog().first().fileURL, QUrl::fromLocalFile(path));
        QCOMPARE(reloaded.recentSends().sendLog().mid(1), readable);
        QCOMPARE(store.read(QStringLiteral("bobbinlark.recentSends.unreadable")).toByteArray(),
                 stored);
    }

    void eachDistinctDamagedValueIsKeptOnce() {
        TemporaryStore store;
        store.open()->setValue(SettingsStore::machinesKey, 42); // not even data
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("under bobbinlark.machines.unreadable$"));
        {
            AppState state(store.open());
            QVERIFY(state.machineList().machines().isEmpty());
        }
        QCOMPARE(store.read(QStringLiteral("bobbinlark.machines.unreadable")).toInt(), 42);

        // Damage of another kind later is kept beside the first, never over it.
        store.open()->setValue(SettingsStore::machinesKey, QByteArray("[{\"name\":"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("under bobbinlark.machines.unreadable.2$"));
        AppState state(store.open());
        const SavedMachine added = state.machineList().addMachine(savedMachine({.name = "New"}));
        QCOMPARE(store.read(QStringLiteral("bobbinlark.machines.unreadable")).toInt(), 42);
        QCOMPARE(store.read(QStringLiteral("bobbinlark.machines.unreadable.2")).toByteArray(),
                 QByteArray("[{\"name\":"));
        QCOMPARE(AppState(store.open()).machineList().machines(), QList<SavedMachine>{added});
    }

    // Several writers.

    void writersInOneProcessKeepEachOthersChanges() {
        TemporaryStore store;
        const SavedMachine a = savedMachine({.name = "A"});
        const SavedMachine b = savedMachine({.name = "B"});
        const SendLogEntry old = entry(1);
        {
            auto raw = store.open();
            raw->setValue(SettingsStore::machinesKey, SavedMachine::encodeList({a, b}));
            raw->setValue(SettingsStore::recentSendsKey, SendLogEntry::encodeList({old}));
        }
        AppState first(store.open());
        AppState second(store.open());

        first.machineList().removeMachine(a);
        SavedMachine renamed = b;
        renamed.name = QStringLiteral("B renamed");
        second.machineList().updateMachine(renamed);
        const SavedMachine c = second.machineList().addMachine(savedMachine({.name = "C"}));
        // What the first wrote stands: A stays removed; the second's rename and addition stand.
        QCOMPARE(second.machineList().machines(), (QList<SavedMachine>{renamed, c}));
        first.machineList().selectMachine(renamed);
        QCOMPARE(first.machineList().machines(), (QList<SavedMachine>{renamed, c}));
        QCOMPARE(AppState(store.open()).machineList().selectedMachineID(),
                 std::optional(renamed.id));

        // Clearing removes the entries this writer knew of, not one recorded elsewhere since.
        const SendLogEntry recorded = entry(2);
        second.recentSends().setSendLog({recorded, old});
        first.recentSends().clearRecents();
        QCOMPARE(first.recentSends().sendLog(), QList<SendLogEntry>{recorded});
        QCOMPARE(AppState(store.open()).recentSends().sendLog(), QList<SendLogEntry>{recorded});
    }

    // A store that cannot be used.

    void aStoreThatIsNotAFileIsRefusedWithAMessage_data() {
        QTest::addColumn<QString>("blocked"); // beside the store: "" the store itself
        QTest::addColumn<bool>("fifo");       // a FIFO in its place, else a directory
        QTest::newRow("store a directory") << QString() << false;
        QTest::newRow("store a FIFO") << QString() << true;
        QTest::newRow("Qt's lock a directory") << QStringLiteral(".lock") << false;
        QTest::newRow("Qt's lock a FIFO") << QStringLiteral(".lock") << true;
        QTest::newRow("writer lock a FIFO") << QStringLiteral(".writer-lock") << true;
    }

    // Nothing waits on it without limit, nothing is said to be saved that was not.
    void aStoreThatIsNotAFileIsRefusedWithAMessage() {
        QFETCH(QString, blocked);
        QFETCH(bool, fifo);
        QTemporaryDir home;
        Tools tools(home.path());
        {
            AppState user(SettingsStore::openFile(tools.storePath()));
            user.machineList().addMachine(
                savedMachine({.name = "Studio", .host = "127.0.0.1", .port = 1}));
        }
        const QString path = tools.storePath() + blocked;
        QVERIFY(!blocked.isEmpty() || QFile::remove(path));
        QVERIFY(fifo ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                     : QDir().mkdir(path));
        QTemporaryDir files;
        const QString design = files.filePath(QStringLiteral("a.pes"));
        QVERIFY(writeFile(design, "#PES0001"));

        tools.start(
            {QStringLiteral("add-machine"), QStringLiteral("Attic"), QStringLiteral("10.0.0.2")});
        tools.start({QStringLiteral("send"), design});
        QVERIFY(tools.finish());
        QCOMPARE(tools.exitCodes(), (QList<int>{1, 1}));
        for (const QByteArray& said : tools.errors())
            QVERIFY2(said.contains("Couldn't use your settings: " + QFile::encodeName(path)),
                     said.constData());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Couldn't use your settings"));
        AppState refused(SettingsStore::openFile(tools.storePath()));
        QVERIFY(refused.store().storeProblem());
        QVERIFY(refused.machineList().machines().isEmpty());
        QVERIFY(std::holds_alternative<SendStatuses::Error>(refused.sendQueue().sendStatus()));
    }

    void aWriteWithoutItsTurnOrThatFailsIsSaidAndRetried() {
        TemporaryStore store;
        AppState state(store.open());
        state.store().setStoreWaitLimit(std::chrono::milliseconds(300));
        const SavedMachine a = state.machineList().addMachine(savedMachine({.name = "A"}));
        QCOMPARE(state.store().storeProblem(), std::nullopt);

        // Another writer holds its turn: nothing is written around it.
        QLockFile stuck(store.path() + QStringLiteral(".writer-lock"));
        QVERIFY(stuck.tryLock(0));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("kept them busy"));
        const SavedMachine b = state.machineList().addMachine(savedMachine({.name = "B"}));
        QVERIFY(state.store().storeProblem()->contains(QStringLiteral("kept them busy")));
        QVERIFY(state.sendQueue().sendStatus() ==
                SendStatus(SendStatuses::Error{*state.store().storeProblem()}));
        QCOMPARE(AppState(store.open()).machineList().machines(), QList<SavedMachine>{a});
        // Once the other writer lets go, the write is made again by itself.
        state.store().setRetryDelay(std::chrono::milliseconds(50));
        stuck.unlock();
        QTRY_COMPARE(AppState(store.open()).machineList().machines(), (QList<SavedMachine>{a, b}));
        QCOMPARE(state.store().storeProblem(), std::nullopt);

        // The store turned into a folder: the write fails and says so.
        const QString path = store.path();
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is not a regular file"));
        state.machineList().selectMachine(a);
        QVERIFY(state.store().storeProblem()->contains(QStringLiteral("is not a regular file")));
        QVERIFY(QDir().rmdir(path));

        // The next write that can go through carries every change held meanwhile.
        state.machineList().updateMachine(b);
        QCOMPARE(state.store().storeProblem(), std::nullopt);
        AppState reread(store.open());
        QCOMPARE(reread.machineList().machines(), (QList<SavedMachine>{a, b}));
        QCOMPARE(reread.machineList().selectedMachineID(), std::optional(a.id));
    }

    // The program waits for its turn and writes on a thread of its own: its GUI thread goes on
    // answering while another writer holds the store, and the write lands once the turn comes.
    void theProgramWaitsForItsTurnOffItsGuiThread() {
        TemporaryStore store;
        auto state = std::make_unique<AppState>(store.open(), AppState::StoreWork::onItsOwnThread);
        QSignalSpy written(&state->store(), &StateStore::storeWritten);
        state->store().setStoreWaitLimit(std::chrono::seconds(30));
        QLockFile stuck(store.path() + QStringLiteral(".writer-lock"));
        QVERIFY(stuck.tryLock(0));
        const SavedMachine a = state->machineList().addMachine(savedMachine({.name = "A"}));
        QCOMPARE(state->machineList().machines(), QList<SavedMachine>{a});
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        tick.start(1);
        QTRY_VERIFY(ticks >= 50);
        QVERIFY(state->store().isWritingStore());
        QCOMPARE(state->store().storeProblem(), std::nullopt); // waiting, not failed
        QVERIFY(!store.contains(SettingsStore::machinesKey));  // nothing written around it
        stuck.unlock();
        QVERIFY(written.wait());
        QCOMPARE(AppState(store.open()).machineList().machines(), QList<SavedMachine>{a});
        QCOMPARE(state->store().storeProblem(), std::nullopt);

        // Past the limit the write fails and says so; it goes out with a later one.
        state->store().setStoreWaitLimit(std::chrono::milliseconds(200));
        QVERIFY(stuck.tryLock(0));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("kept them busy"));
        const SavedMachine b = state->machineList().addMachine(savedMachine({.name = "B"}));
        QTRY_VERIFY(state->store().storeProblem());
        stuck.unlock();
        state->machineList().selectMachine(a);
        QTRY_COMPARE(AppState(store.open()).machineList().machines(), (QList<SavedMachine>{a, b}));

        // Quitting while another writer holds the store ends after a short wait, writing
        // nothing around it: the change is kept beside the store, and the next start of the
        // program puts it onto what is stored then, and says so.
        state->store().setStoreWaitLimit(std::chrono::seconds(30));
        QVERIFY(stuck.tryLock(0));
        state->machineList().removeMachine(a);
        QVERIFY(state->store().isWritingStore());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("changes are kept in .*kept-aside"));
        state.reset();
        QCOMPARE(AppState(store.open()).machineList().machines(), (QList<SavedMachine>{a, b}));
        stuck.unlock();
        const QString keptAside = store.path() + QStringLiteral(".kept-aside");
        QVERIFY(QFile::exists(keptAside));
        state = std::make_unique<AppState>(store.open(), AppState::StoreWork::onItsOwnThread);
        QCOMPARE(state->machineList().machines(), QList<SavedMachine>{b});
        QVERIFY(state->store().startNotice());
        QCOMPARE(state->sendQueue().sendStatus(),
                 SendStatus(SendStatuses::Error{*state->store().startNotice()}));
        QTRY_VERIFY(!QFile::exists(keptAside));
        QCOMPARE(AppState(store.open()).machineList().machines(), QList<SavedMachine>{b});
        state->machineList().selectMachine(b);
        state->machineList().removeMachine(a);
        state.reset();
        AppState reread(store.open());
        QCOMPARE(reread.machineList().machines(), QList<SavedMachine>{b});
        QCOMPARE(reread.machineList().selectedMachineID(), std::optional(b.id));
    }

    void aToolWithoutItsTurnFailsAndStoresNothing() {
        QTemporaryDir home;
        Tools tools(home.path());
        QVERIFY(QDir().mkpath(home.path() + QStringLiteral("/Bobbinlark")));
        QLockFile stuck(tools.storePath() + QStringLiteral(".writer-lock"));
        QVERIFY(stuck.tryLock(0));
        tools.start(
            {QStringLiteral("add-machine"), QStringLiteral("Late"), QStringLiteral("10.0.0.2")});
        QVERIFY(tools.finish());
        QCOMPARE(tools.exitCodes(), QList<int>{1});
        QVERIFY(tools.errors().first().contains("kept them busy"));
        stuck.unlock();
        QVERIFY(AppState(SettingsStore::openFile(tools.storePath()))
                    .machineList()
                    .machines()
                    .isEmpty());
    }

    // The store removed or emptied from outside removed no machine and no send by its id.
    void aStoreThatVanishedIsWrittenAgainFromMemory_data() {
        QTest::addColumn<bool>("emptied"); // else removed
        QTest::newRow("removed") << false;
        QTest::newRow("emptied") << true;
    }

    void aStoreThatVanishedIsWrittenAgainFromMemory() {
        QFETCH(bool, emptied);
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine a = state.machineList().addMachine(savedMachine({.name = "A"}));
        const SavedMachine b = state.machineList().addMachine(savedMachine({.name = "B"}));
        const SendLogEntry old = entry(1);
        state.recentSends().setSendLog({old});

        const auto vanish = [&] {
            QFile file(store.path());
            return emptied ? file.resize(0) : file.remove();
        };
        QVERIFY(vanish());
        state.machineList().selectMachine(a);
        QCOMPARE(state.machineList().machines(), (QList<SavedMachine>{a, b}));
        QVERIFY(vanish());
        const SendLogEntry recent = entry(2);
        state.recentSends().setSendLog({recent, old});
        QCOMPARE(state.recentSends().sendLog(), (QList<SendLogEntry>{recent, old}));

        AppState reread(store.open());
        QCOMPARE(reread.machineList().machines(), (QList<SavedMachine>{a, b}));
        QCOMPARE(reread.machineList().selectedMachineID(), std::optional(a.id));
        QCOMPARE(reread.recentSends().sendLog(), (QList<SendLogEntry>{recent, old}));

        // Removed by its id elsewhere, a machine does leave.
        reread.machineList().removeMachine(b);
        state.machineList().selectMachine(a);
        QCOMPARE(state.machineList().machines(), QList<SavedMachine>{a});
    }

    void eightToolsAddingAtOnceKeepEveryMachine() {
        QTemporaryDir home;
        Tools tools(home.path());
        QStringList expected;
        for (int i = 1; i <= 8; ++i) {
            expected.append(QStringLiteral("Machine %1").arg(i));
            tools.start({QStringLiteral("add-machine"), expected.last(),
                         QStringLiteral("10.0.0.%1").arg(i)});
        }
        QVERIFY(tools.finish());
        QCOMPARE(tools.exitCodes(), QList<int>(8, 0));

        AppState state(SettingsStore::openFile(tools.storePath()));
        QStringList saved = machineNames(state.machineList().machines());
        saved.sort();
        QCOMPARE(saved, expected);
        QVERIFY(state.machineList().selectedMachineID()); // the last one to write chose it
    }

    void twoToolsSendingAtOnceKeepBothEntries() {
        FakeMachine fake;
        QVERIFY(fake.start());
        QTemporaryDir home;
        Tools tools(home.path());
        {
            AppState user(SettingsStore::openFile(tools.storePath()));
            user.machineList().addMachine(savedMachineAt(fake));
        }
        QTemporaryDir files;
        QStringList paths;
        for (const char* name : {"a.pes", "b.dst", "c.phc", "d.pes"}) {
            paths.append(files.filePath(QString::fromLatin1(name)));
            QVERIFY(writeFile(paths.last(), "#PES0001"));
        }
        tools.start({QStringLiteral("send"), paths[0], paths[1]});
        tools.start({QStringLiteral("send"), paths[2]});
        tools.start({QStringLiteral("send"), paths[3]});
        QVERIFY(tools.finish());
        QCOMPARE(tools.exitCodes(), (QList<int>{0, 0, 0}));
        // Four uploads, besides each tool's info query.
        const QList<FakeMachine::Request> requests = fake.requests();
        QCOMPARE(std::count_if(requests.cbegin(), requests.cend(),
                               [](const FakeMachine::Request& request) {
                                   return FakeMachine::designFrom(request).has_value();
                               }),
                 4);

        AppState state(SettingsStore::openFile(tools.storePath()));
        QStringList logged;
        for (const SendLogEntry& sent : state.recentSends().sendLog())
            logged.append(sent.fileURL.toLocalFile());
        logged.sort();
        QCOMPARE(logged, paths);
    }

    void aToolAddingWhileTheProgramRunsIsNotUndone() {
        QTemporaryDir home;
        Tools tools(home.path());
        AppState program(SettingsStore::openFile(tools.storePath()));
        const SavedMachine own = program.machineList().addMachine(savedMachine({.name = "Own"}));

        tools.start({QStringLiteral("add-machine"), QStringLiteral("From tool"),
                     QStringLiteral("10.0.0.9")});
        QVERIFY(tools.finish());
        QCOMPARE(tools.exitCodes(), QList<int>{0});

        // The program's next write keeps the tool's machine, and the program now shows it.
        SavedMachine renamed = own;
        renamed.name = QStringLiteral("Own renamed");
        program.machineList().updateMachine(renamed);
        QCOMPARE(machineNames(program.machineList().machines()),
                 (QStringList{"Own renamed", "From tool"}));
        QCOMPARE(machineNames(
                     AppState(SettingsStore::openFile(tools.storePath())).machineList().machines()),
                 (QStringList{"Own renamed", "From tool"}));
    }

    void theProgramAndToolsWritingAtOnceLoseNothing() {
        FakeMachine fake;
        QVERIFY(fake.start());
        QTemporaryDir home;
        Tools processes(home.path());
        QTemporaryDir files;
        QStringList designs;
        for (const char* name : {"a.pes", "b.dst"}) {
            designs.append(files.filePath(QString::fromLatin1(name)));
            QVERIFY(writeFile(designs.last(), "#PES0001"));
        }
        {
            AppState user(SettingsStore::openFile(processes.storePath()));
            user.machineList().addMachine(savedMachineAt(fake));
        }

        // The program checks its machine as its window opens and pins the certificate (a
        // write); meanwhile tools add machines and hand it designs, which it logs (writes).
        processes.start({}, QStringLiteral(BOBBINLARK_PROGRAM_PATH));
        QStringList expected{QStringLiteral("Studio")};
        for (int i = 1; i <= 5; ++i) {
            expected.append(QStringLiteral("Tool %1").arg(i));
            processes.start({QStringLiteral("add-machine"), expected.last(),
                             QStringLiteral("10.0.0.%1").arg(i)});
        }
        processes.start({QStringLiteral("send"), designs[0]});
        processes.start({QStringLiteral("send"), designs[1]});

        const auto stored = [&] {
            QSettings store(processes.storePath(), QSettings::NativeFormat);
            const auto machines = JsonFields::decodeEach<SavedMachine>(
                store.value(SettingsStore::machinesKey).toByteArray());
            const auto log = JsonFields::decodeEach<SendLogEntry>(
                store.value(SettingsStore::recentSendsKey).toByteArray());
            return std::pair(machines.items, log.items);
        };
        const auto settled = [&] {
            const auto [machines, log] = stored();
            const bool pinned = !machines.isEmpty() && machines.first().fingerprint;
            return pinned && machines.size() == expected.size() && log.size() == designs.size();
        };
        const auto describe = [&] {
            const auto [machines, log] = stored();
            return QStringLiteral("machines %1 (first pinned: %2), sends %3")
                .arg(machineNames(machines).join(u','))
                .arg(!machines.isEmpty() && machines.first().fingerprint)
                .arg(log.size())
                .toUtf8();
        };
        QTRY_VERIFY2_WITH_TIMEOUT(settled(), describe().constData(), 60000);
        processes.stop(0);
        QVERIFY(processes.finish());
        // Every tool ended on its own; a send may fail (the tools select the machines they add).
        QCOMPARE(processes.exitCodes().mid(1, 5), QList<int>(5, 0));

        const auto [machines, log] = stored();
        QStringList saved = machineNames(machines);
        saved.sort();
        expected.sort();
        QCOMPARE(saved, expected);
        QCOMPARE(machines.first().fingerprint, std::optional(fake.fingerprint()));
        QStringList logged;
        for (const SendLogEntry& sent : log)
            logged.append(sent.fileURL.toLocalFile());
        logged.sort();
        QCOMPARE(logged, designs);
    }

    // Writes that queue behind each other while another writer holds the store take in what
    // that writer stored: neither its machine nor its send is taken for one removed here.
    void anotherWritersRecordsSurviveQueuedWrites() {
        QTemporaryDir home;
        Tools tools(home.path());
        auto program = std::make_unique<AppState>(SettingsStore::openFile(tools.storePath()),
                                                  AppState::StoreWork::onItsOwnThread);
        SavedMachine a = program->machineList().addMachine(savedMachine({.name = "A"}));
        SavedMachine b = program->machineList().addMachine(savedMachine({.name = "B"}));
        QTRY_VERIFY(!program->store().isWritingStore());
        tools.start(
            {QStringLiteral("add-machine"), QStringLiteral("Tool"), QStringLiteral("10.0.0.9")});
        QVERIFY(tools.finish());
        const QUrl other = QUrl::fromLocalFile(QStringLiteral("/designs/other.pes"));
        AppState(SettingsStore::openFile(tools.storePath()))
            .recentSends()
            .record(other, QStringLiteral("Tool"), true, QStringLiteral("Sent to Tool"));

        QLockFile stuck(tools.storePath() + QStringLiteral(".writer-lock"));
        for (int round = 0; round < 2; ++round) {
            QVERIFY(stuck.tryLock(0));
            if (round == 0) {
                for (const char* name : {"1.pes", "2.pes", "3.pes"})
                    program->recentSends().record(
                        QUrl::fromLocalFile(QStringLiteral("/designs/") + QLatin1String(name)),
                        QStringLiteral("A"), true, QStringLiteral("Sent to A"));
            } else {
                a.fingerprint = QStringLiteral("aa");
                program->machineList().updateMachine(a);
                b.fingerprint = QStringLiteral("bb");
                program->machineList().updateMachine(b);
            }
            QVERIFY(program->store().isWritingStore());
            stuck.unlock();
            QTRY_VERIFY(!program->store().isWritingStore());
        }
        program.reset();
        AppState reread(SettingsStore::openFile(tools.storePath()));
        QCOMPARE(machineNames(reread.machineList().machines()), (QStringList{"A", "B", "Tool"}));
        QCOMPARE(reread.machineList().machines().mid(0, 2), (QList<SavedMachine>{a, b}));
        QStringList logged;
        for (const SendLogEntry& sent : reread.recentSends().sendLog())
            logged.append(sent.fileURL.fileName());
        QCOMPARE(logged, (QStringList{"3.pes", "2.pes", "1.pes", "other.pes"}));
    }

    // Logout (SIGTERM) or a kill during a batch: every design the machine took is on record,
    // and the one under way shows at the next start as one the machine may have received.
    void aBatchCutShortLeavesEveryDesignOnRecord() {
        FakeMachine fake;
        QVERIFY(fake.start());
        fake.setReadRate(40000);
        QTemporaryDir home;
        Tools processes(home.path());
        {
            AppState user(SettingsStore::openFile(processes.storePath()));
            user.machineList().addMachine(savedMachineAt(fake));
        }
        QTemporaryDir files;
        const auto uploads = [&fake] {
            const auto requests = fake.requests();
            return std::count_if(requests.cbegin(), requests.cend(),
                                 [](const auto& request) { return request.method == "POST"; });
        };
        for (const bool killed : {false, true}) {
            QStringList designs;
            for (int i = 1; i <= 6; ++i) {
                designs.append(files.filePath(QStringLiteral("%1-%2.pes").arg(killed).arg(i)));
                QFile design(designs.last());
                QVERIFY(design.open(QIODevice::WriteOnly));
                // From the third on, long enough to be cut short on their way.
                QVERIFY(design.write("#PES0001" + QByteArray(i < 3 ? 12000 : 400000, 'x')) > 0);
            }
            const qsizetype before = uploads();
            const qsizetype requestsBefore = fake.requests().size();
            const qsizetype program = processes.count();
            processes.start({}, QStringLiteral(BOBBINLARK_PROGRAM_PATH));
            // The program's panel opens at start (no tray here) and asks the machine first.
            const auto asked = [&] { return fake.requests().size() > requestsBefore; };
            QTRY_VERIFY_WITH_TIMEOUT(asked(), 20000);
            processes.start(QStringList{QStringLiteral("send")} + designs);
            QTRY_VERIFY_WITH_TIMEOUT(uploads() - before >= 2, 30000);
            // The program notes each design before it goes out: the third is on its way.
            const QString notes = processes.storePath() + QStringLiteral(".sending");
            const auto onItsWay = [&notes] {
                QFile noted(notes);
                return noted.open(QIODevice::ReadOnly) && noted.readAll().contains("-3.pes");
            };
            QTRY_VERIFY_WITH_TIMEOUT(onItsWay(), 20000);
            if (killed)
                processes.kill(program);
            else
                processes.stop(program);
            const qsizetype received = uploads() - before;

            AppState next(SettingsStore::openFile(processes.storePath()),
                          AppState::StoreWork::onItsOwnThread);
            qsizetype sent = 0;
            qsizetype mayHaveReached = 0;
            for (const SendLogEntry& entry : next.recentSends().sendLog()) {
                if (!designs.contains(entry.fileURL.toLocalFile()))
                    continue;
                sent += entry.ok;
                mayHaveReached += entry.message == RecentSends::interruptedMessage();
            }
            QVERIFY2(sent <= received && sent + mayHaveReached >= received,
                     qPrintable(QStringLiteral("received %1, sent %2, may have %3")
                                    .arg(received)
                                    .arg(sent)
                                    .arg(mayHaveReached)));
            QCOMPARE(mayHaveReached, 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestStateStore)
#include "test_state_store.moc"
