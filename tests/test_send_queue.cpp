// The send pipeline end to end against fake machines over loopback TLS, and the recent-sends
// log it keeps.

#include "Designs/DesignFile.h"
#include "Designs/SizeWarning.h"
#include "State/AppState.h"
#include "Support/SettingsStore.h"
#include "Support/SingleInstance.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/Files.h"
#include "support/Machines.h"
#include "support/TemporaryStore.h"

#include <QCoroTask>
#include <QDir>
#include <QLocalServer>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace SendStatuses;

namespace {

const QString typesText = QStringLiteral(".pes, .phc, .dst or .pen");
const QString unreachableText = QStringLiteral(
    "Couldn't reach the machine. Make sure it's on and connected to Wi-Fi, then try again.");

// Every status the state passes through, in order.
struct StatusRecorder {
    explicit StatusRecorder(AppState& state) {
        QObject::connect(&state.sendQueue(), &SendQueue::sendStatusChanged, &state.sendQueue(),
                         [this, &state] { seen.append(state.sendQueue().sendStatus()); });
    }
    QList<SendStatus> seen;
};

} // namespace

class TestSendQueue : public QObject {
    Q_OBJECT

    QTemporaryDir m_files;
    std::unique_ptr<TemporaryStore> m_store;
    std::unique_ptr<FakeMachine> m_fake;
    std::unique_ptr<AppState> m_state;

    QUrl design(const QString& name, const QByteArray& content = QByteArray("#PES0001 stitches")) {
        const QString path = m_files.filePath(name);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !writeFile(path, content))
            qFatal("cannot write test design");
        return QUrl::fromLocalFile(path);
    }

    bool waitForBatch() {
        QSignalSpy finished(&m_state->sendQueue(), &SendQueue::batchFinished);
        return finished.wait(15000);
    }

    // The machine claims `postsize` bytes as its limit, and a check has taken the claim in.
    void claimLimit(const SavedMachine& studio, const QByteArray& postsize) {
        m_fake->setInfoBody("{\"serial\":\"S1\",\"features\":{\"postsize\":" + postsize + "}}");
        QCoro::waitFor(m_state->monitor().check(studio));
    }

    // Sends `urls`: the status the batch ended with, or an error saying that it did not end.
    SendStatus sendAll(const QList<QUrl>& urls) {
        m_state->sendQueue().send(urls);
        return waitForBatch() ? m_state->sendQueue().sendStatus()
                              : SendStatus(Error{QStringLiteral("The batch did not end.")});
    }

    SavedMachine addStudio() { return m_state->machineList().addMachine(savedMachineAt(*m_fake)); }

    static QList<FakeMachine::ReceivedDesign> receivedDesigns(const FakeMachine& fake) {
        QList<FakeMachine::ReceivedDesign> designs;
        for (const auto& request : fake.requests()) {
            if (auto received = FakeMachine::designFrom(request))
                designs.append(*received);
        }
        return designs;
    }

private slots:
    void init() {
        m_store = std::make_unique<TemporaryStore>();
        m_fake = std::make_unique<FakeMachine>();
        QVERIFY(m_fake->start());
        m_state = std::make_unique<AppState>(m_store->open());
        m_state->sendQueue().setStatusResetDelay(std::chrono::milliseconds(200));
        m_state->sendQueue().setUploadTimeout(std::chrono::milliseconds(1500));
    }

    void cleanup() {
        if (m_state && m_state->sendQueue().isSending())
            waitForBatch();
        m_state.reset();
        m_fake.reset();
        m_store.reset();
    }

    void oneFileIsSentLoggedAndTheStatusReturnsToIdle() {
        const SavedMachine studio = addStudio();
        const QUrl url = design(QStringLiteral("Flower.PES"), "flower bytes");
        StatusRecorder statuses(*m_state);
        m_state->sendQueue().send({url});
        QVERIFY(m_state->sendQueue().isSending());
        QVERIFY(std::holds_alternative<Idle>(
            m_state->sendQueue().sendStatus())); // the loop starts later
        QVERIFY(waitForBatch());

        QCOMPARE(statuses.seen.first(), SendStatus(Sending{"Flower.PES", 1, 1}));
        QCOMPARE(m_state->sendQueue().sendStatus(), SendStatus(Sent{"Flower.PES", "Studio"}));
        QCOMPARE(m_fake->requests().size(), 1);
        const auto received = FakeMachine::designFrom(m_fake->requests().first());
        QVERIFY(received);
        QCOMPARE(received->fileName, QByteArray("Flower.PES"));
        QCOMPARE(received->data, QByteArray("flower bytes"));
        QCOMPARE(m_state->monitor().reachabilityOf(studio.id), Reachability::reachable);

        QCOMPARE(m_state->recentSends().sendLog().size(), 1);
        const SendLogEntry entry = m_state->recentSends().sendLog().first();
        QVERIFY(entry.ok);
        QCOMPARE(entry.message, QStringLiteral("Sent to Studio"));
        QCOMPARE(entry.machineName, QStringLiteral("Studio"));
        QCOMPARE(entry.fileURL, url);
        QVERIFY(qAbs(entry.dateTime().secsTo(QDateTime::currentDateTimeUtc())) < 60);

        QTRY_VERIFY_WITH_TIMEOUT(std::holds_alternative<Idle>(m_state->sendQueue().sendStatus()),
                                 5000);
    }

    void threeFilesMakeOneBatch() {
        addStudio();
        StatusRecorder statuses(*m_state);
        QCOMPARE(sendAll({design("a.pes"), design("b.dst"), design("c.phc")}),
                 SendStatus(Sent{"3 designs", "Studio"}));
        QCOMPARE(receivedNames(*m_fake), (QList<QByteArray>{"a.pes", "b.dst", "c.phc"}));
        QCOMPARE(statuses.seen.mid(0, 3),
                 (QList<SendStatus>{Sending{"a.pes", 1, 3}, Sending{"b.dst", 2, 3},
                                    Sending{"c.phc", 3, 3}}));
        // Newest first.
        QCOMPARE(m_state->recentSends().sendLog().first().fileURL.fileName(),
                 QStringLiteral("c.phc"));
    }

    void failuresAreSummarisedAndDoNotTimeOut() {
        const SavedMachine studio = addStudio();
        const QUrl vanished = design(QStringLiteral("gone.pes"));
        QFile::remove(vanished.toLocalFile());
        QCOMPARE(sendAll({design("ok.pes"), vanished}),
                 SendStatus(Error{"Sent 1 of 2. Couldn't read gone.pes."}));
        QCOMPARE(m_state->recentSends().sendLog().first().ok, false);
        QCOMPARE(m_state->recentSends().sendLog().first().message,
                 QStringLiteral("Couldn't read gone.pes."));
        QCOMPARE(m_state->monitor().reachabilityOf(studio.id), Reachability::reachable);

        // One refused upload alone reads as its own message.
        m_fake->setUploadStatus(503);
        QCOMPARE(sendAll({design("full.pes")}),
                 SendStatus(Error{"The machine refused the design (status 503). If it's full, "
                                  "retrieve the waiting designs on the machine, or turn it off "
                                  "and on to empty its wireless pocket."}));
        QTest::qWait(400); // longer than the reset delay: errors stay
        QVERIFY(std::holds_alternative<Error>(m_state->sendQueue().sendStatus()));
    }

    void refusedFilesAreCountedInTheSummaryButNotInTheProgress() {
        addStudio();
        StatusRecorder statuses(*m_state);
        const QList<QUrl> mixed{design("a.pes"),    design("notes.txt"), design("b.PEN"),
                                design("x.exp"),    design("y.jpg"),     design("z"),
                                design("w.pes.zip")};
        m_state->sendQueue().send(mixed);
        QVERIFY(waitForBatch());
        QCOMPARE(statuses.seen.mid(0, 2),
                 (QList<SendStatus>{Sending{"a.pes", 1, 2}, Sending{"b.PEN", 2, 2}}));
        QCOMPARE(m_state->sendQueue().sendStatus(),
                 SendStatus(Error{"Sent 2 of 7. 5 skipped (not " + typesText + ")"}));
        QCOMPARE(m_state->recentSends().sendLog().size(), 2); // refused files are not logged
    }

    void refusalsByTypeAndWithoutMachine() {
        m_state->sendQueue().send({});
        QVERIFY(std::holds_alternative<Idle>(m_state->sendQueue().sendStatus()));

        // The type check comes before the machine check.
        m_state->sendQueue().send({design("a.txt")});
        QCOMPARE(m_state->sendQueue().sendStatus(),
                 SendStatus(
                     Error{"This file can't be sent. The machine reads " + typesText + " files."}));
        m_state->sendQueue().send({design("a.txt"), design("b.doc")});
        QCOMPARE(m_state->sendQueue().sendStatus(),
                 SendStatus(Error{"These files can't be sent. The machine reads " + typesText +
                                  " files."}));
        m_state->sendQueue().send({design("a.pes")});
        QCOMPARE(m_state->sendQueue().sendStatus(),
                 SendStatus(Error{"Add a machine first, then drop a design to send it."}));
        QVERIFY(!m_state->sendQueue().isSending());
        QVERIFY(m_fake->requests().isEmpty());
        QVERIFY(m_state->recentSends().sendLog().isEmpty());
    }

    void filesJoinARunningBatch() {
        addStudio();
        m_fake->setDelay(300);
        StatusRecorder statuses(*m_state);
        m_state->sendQueue().send({design("a.pes")});
        QTRY_VERIFY(std::holds_alternative<Sending>(m_state->sendQueue().sendStatus()));
        m_state->sendQueue().send({design("b.pes"), design("c.txt")});
        m_state->sendQueue().dismissStatus(); // ignored while sending
        QVERIFY(std::holds_alternative<Sending>(m_state->sendQueue().sendStatus()));
        QVERIFY(waitForBatch());
        QCOMPARE(statuses.seen.mid(0, 2),
                 (QList<SendStatus>{Sending{"a.pes", 1, 1}, Sending{"b.pes", 2, 2}}));
        QCOMPARE(m_state->sendQueue().sendStatus(),
                 SendStatus(Error{"Sent 2 of 3. 1 skipped (not " + typesText + ")"}));
    }

    void eachFileGoesToTheMachineSelectedWhenItsTurnComes() {
        FakeMachine other;
        QVERIFY(other.start(QHostAddress(QStringLiteral("127.0.0.6"))));
        addStudio();
        const SavedMachine annex =
            m_state->machineList().addMachine(savedMachineAt(other, {.name = "Annex"}));
        const SavedMachine studio = m_state->machineList().machines().first();
        m_state->machineList().selectMachine(studio);
        m_fake->setDelay(300);
        m_state->sendQueue().send({design("a.pes"), design("b.pes")});
        QTRY_VERIFY(std::holds_alternative<Sending>(m_state->sendQueue().sendStatus()));
        m_state->machineList().selectMachine(annex);
        QVERIFY(waitForBatch());
        QCOMPARE(receivedNames(*m_fake), QList<QByteArray>{"a.pes"});
        QCOMPARE(receivedNames(other), QList<QByteArray>{"b.pes"});
        QCOMPARE(m_state->sendQueue().sendStatus(), SendStatus(Sent{"2 designs", "Annex"}));
        QCOMPARE(m_state->recentSends().sendLog().at(1).machineName, QStringLiteral("Studio"));
    }

    void removingTheLastMachineMidBatchDiscardsTheRest() {
        const SavedMachine studio = addStudio();
        m_fake->setDelay(300);
        m_state->sendQueue().send({design("a.pes"), design("b.pes"), design("c.pes")});
        QTRY_VERIFY(std::holds_alternative<Sending>(m_state->sendQueue().sendStatus()));
        m_state->machineList().removeMachine(studio);
        QVERIFY(waitForBatch());
        QCOMPARE(m_state->recentSends().sendLog().size(), 1); // only the file in flight
        QCOMPARE(m_state->sendQueue().sendStatus(), SendStatus(Sent{"a.pes", "Studio"}));
        QVERIFY(!m_state->monitor().reachability().contains(studio.id));
    }

    void anUnreachableMachineIsMarkedSoButATooLargeFileIsNot() {
        // Nothing listens on this address.
        const SavedMachine nowhere = m_state->machineList().addMachine(
            savedMachine({.name = "Nowhere", .host = "127.0.0.9", .port = m_fake->port()}));
        QCOMPARE(sendAll({design("a.pes")}), SendStatus(Error{unreachableText}));
        QCOMPARE(m_state->monitor().reachabilityOf(nowhere.id), Reachability::unreachable);
        QCOMPARE(m_state->recentSends().sendLog().first().message, unreachableText);

        // A sparse file far beyond any limit is refused without being read into memory.
        const SavedMachine studio = addStudio();
        QFile huge(m_files.filePath(QStringLiteral("huge.dst")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(6) << 30));
        huge.close();
        QCOMPARE(sendAll({QUrl::fromLocalFile(huge.fileName())}),
                 SendStatus(Error{"This design is too large to send. The machine accepts up "
                                  "to 3 MB."}));
        QCOMPARE(m_state->monitor().reachabilityOf(studio.id), Reachability::unknown);
        QVERIFY(m_fake->requests().isEmpty());

        // Exactly the limit passes.
        QCOMPARE(sendAll({design("limit.pes", QByteArray(3'000'000, 'x'))}),
                 SendStatus(Sent{"limit.pes", "Studio"}));
    }

    void theLimitIsTheMachinesLastReportedOne() {
        const SavedMachine studio = addStudio();
        claimLimit(studio, "1000000");
        QCOMPARE(m_state->monitor().machineInfo().value(studio.id).maxUploadBytes,
                 std::optional<qint64>(1000000));
        QCOMPARE(sendAll({design("big.pes", QByteArray(1'000'001, 'x'))}),
                 SendStatus(Error{"This design is too large to send. The machine accepts up "
                                  "to 1 MB."}));
        QCOMPARE(sendAll({design("fits.pes", QByteArray(1'000'000, 'x'))}),
                 SendStatus(Sent{"fits.pes", "Studio"}));
    }

    // Real designs against a machine whose area is 140 x 90 mm: each is sent, and those that
    // fit in neither orientation are named with their size, on the status and on their entry.
    void aDesignLargerThanTheMachinesAreaIsSentWithAWarning() {
        const QDir corpus(QStringLiteral(BOBBINLARK_CORPUS_DIR));
        if (!corpus.exists())
            QSKIP("no corpus of real designs beside the project");
        const SavedMachine studio = addStudio();
        const auto corpusFile = [&](const char* name) {
            return QUrl::fromLocalFile(corpus.filePath(QString::fromLatin1(name)));
        };
        const QList<QUrl> designs{
            corpusFile("JulieStenning__01Peacock.dst"),         // 181.9 x 127.8: too large
            corpusFile("JulieStenning__Cake_3.pes"),            // 83.9 x 133.9: fits turned
            corpusFile("Embroidermodder__Star.phc"),            // no preview: no size
            corpusFile("inkstitch__Hopea.DST"),                 // 119.8 x 49.2: fits
            corpusFile("Embroidermodder__Embroidermodder.dst"), // 222.5 x 51.4
            corpusFile("Embroidermodder__Embroidermodder.pes"), // 51.4 x 222.5
            corpusFile("Embroidermodder__Embroidermodder_2.DST"),
        };
        const auto info = [](const char* features) {
            return QByteArrayLiteral("{\"serial\":\"S1\",\"features\":{") + features + "}}";
        };

        // Without a check the area is unknown: nothing is measured, nobody is warned.
        QCOMPARE(sendAll(designs), SendStatus(Sent{"7 designs", "Studio"}));

        m_fake->setInfoBody(info("\"embwidth\":1400,\"embheight\":900"));
        QCoro::waitFor(m_state->monitor().check(studio));
        m_state->sendQueue().send(designs);
        QVERIFY(waitForBatch());
        const QStringList warnings{
            "JulieStenning__01Peacock.dst is 181.9 × 127.8 mm, larger than Studio's 140 × 90 mm "
            "area.",
            "Embroidermodder__Embroidermodder.dst is 222.5 × 51.4 mm, larger than Studio's 140 × "
            "90 mm area.",
            "Embroidermodder__Embroidermodder.pes is 51.4 × 222.5 mm, larger than Studio's 140 × "
            "90 mm area.",
            "Embroidermodder__Embroidermodder_2.DST is 222.5 × 51.4 mm, larger than Studio's 140 "
            "× 90 mm area.",
        };
        QCOMPARE(m_state->sendQueue().sendStatus(),
                 SendStatus(Sent{"7 designs", "Studio", warnings}));
        QCOMPARE(receivedDesigns(*m_fake).size(), 14); // every design went, warned or not
        const QStringList summary =
            std::get<Sent>(m_state->sendQueue().sendStatus()).warningSummary();
        QCOMPARE(summary, warnings.first(3) + QStringList{"and 1 more"});
        QCOMPARE(describe(m_state->sendQueue().sendStatus()),
                 (QStringList{"sent 7 designs to Studio"} + summary).join(u'\n'));

        // Each entry keeps its own warning, across a restart.
        const auto warningOf = [](const QList<SendLogEntry>& log, const QUrl& url) {
            for (const SendLogEntry& entry : log)
                if (entry.fileURL == url)
                    return entry.warning;
            return std::optional<QString>(QStringLiteral("not logged"));
        };
        const AppState reread(m_store->open());
        for (const QList<SendLogEntry>& log :
             {m_state->recentSends().sendLog(), reread.recentSends().sendLog()}) {
            QCOMPARE(warningOf(log, designs[0]), std::optional(warnings[0]));
            for (const int fits : {1, 2, 3})
                QCOMPARE(warningOf(log, designs[fits]), std::nullopt);
            QCOMPARE(warningOf(log, designs[6]), std::optional(warnings[3]));
        }

        // One design names itself; a machine that reports no area (or a zero one) warns of
        // nothing; a failed upload is an error, not a warning.
        QCOMPARE(sendAll({designs[0]}),
                 SendStatus(Sent{"JulieStenning__01Peacock.dst", "Studio", {warnings[0]}}));
        for (const char* features : {"\"needles\":1", "\"embwidth\":0,\"embheight\":900"}) {
            m_fake->setInfoBody(info(features));
            QCoro::waitFor(m_state->monitor().check(studio));
            QCOMPARE(sendAll({designs[0], designs[4]}), SendStatus(Sent{"2 designs", "Studio"}));
            QCOMPARE(m_state->recentSends().sendLog().first().warning, std::nullopt);
        }
        m_fake->setInfoBody(info("\"embwidth\":1400,\"embheight\":900"));
        QCoro::waitFor(m_state->monitor().check(studio));
        m_fake->setUploadStatus(500);
        m_state->sendQueue().send({designs[0]});
        QVERIFY(waitForBatch());
        QVERIFY(std::holds_alternative<Error>(m_state->sendQueue().sendStatus()));
        QCOMPARE(m_state->recentSends().sendLog().first().warning, std::nullopt);
    }

    void dismissingAndShowingAnErrorCancelThePendingReset() {
        addStudio();
        m_state->sendQueue().setStatusResetDelay(std::chrono::milliseconds(300));
        const SendStatus later = Sent{"set later", "Elsewhere"};

        // A reset that survived dismissal would turn a status set afterwards to idle.
        m_state->sendQueue().send({design("a.pes")});
        QVERIFY(waitForBatch());
        m_state->sendQueue().dismissStatus();
        QVERIFY(std::holds_alternative<Idle>(m_state->sendQueue().sendStatus()));
        m_state->sendQueue().setSendStatus(later);
        QTest::qWait(500);
        QCOMPARE(m_state->sendQueue().sendStatus(), later);

        // The same for an error shown for a refused request.
        m_state->sendQueue().send({design("b.pes")});
        QVERIFY(waitForBatch());
        m_state->sendQueue().send({design("c.txt")});
        QVERIFY(std::holds_alternative<Error>(m_state->sendQueue().sendStatus()));
        m_state->sendQueue().setSendStatus(later);
        QTest::qWait(500);
        QCOMPARE(m_state->sendQueue().sendStatus(), later);
    }

    void anAbsurdLimitFromTheMachineIsHarmless() {
        // Any device can claim any limit; the read is bounded by the file, not the claim.
        const SavedMachine studio = addStudio();
        for (const char* postsize : {"9223372036854775807", "1000000000000"}) {
            claimLimit(studio, postsize);
            QVERIFY(m_state->monitor().machineInfo().value(studio.id).maxUploadBytes > 1'000'000);
            m_fake->clearRequests();
            m_state->sendQueue().send({design("rose.pes", "rose stitches")});
            QVERIFY2(waitForBatch(), postsize);
            QCOMPARE(m_state->sendQueue().sendStatus(), SendStatus(Sent{"rose.pes", "Studio"}));
            QCOMPARE(receivedDesigns(*m_fake).size(), 1);
            QCOMPARE(receivedDesigns(*m_fake).first().data, QByteArray("rose stitches"));
        }
    }

    void aLimitThatIsNotPositiveIsNoLimit() {
        const SavedMachine studio = addStudio();
        for (const char* postsize : {"-5", "0"}) {
            claimLimit(studio, postsize);
            QVERIFY2(m_state->monitor().machineInfo().contains(studio.id), postsize);
            QCOMPARE(m_state->monitor().machineInfo().value(studio.id).maxUploadBytes,
                     std::nullopt);
            // The usual limit applies.
            QCOMPARE(sendAll({design("fits.pes", QByteArray(3'000'000, 'x'))}),
                     SendStatus(Sent{"fits.pes", "Studio"}));
            QCOMPARE(sendAll({design("over.pes", QByteArray(3'000'001, 'x'))}),
                     SendStatus(Error{"This design is too large to send. The machine accepts up "
                                      "to 3 MB."}));
        }
    }

    void anEnormousLimitNeverLoadsAnEnormousFile() {
        const SavedMachine studio = addStudio();
        // A sparse file just past what any design needs is refused by its size, unread; the
        // message names the limit that refused it, which is not the machine's.
        const QString tooLarge =
            "This design is too large to send. Bobbinlark sends designs of up to 64 MB.";
        const QUrl huge = design("huge.pes");
        QVERIFY(QFile::resize(huge.toLocalFile(), 64'000'001));
        for (const char* postsize : {"9223372036854775807", "100000000"}) {
            claimLimit(studio, postsize);
            m_fake->clearRequests();
            QCOMPARE(sendAll({huge}), SendStatus(Error{tooLarge}));
            QVERIFY(m_fake->requests().isEmpty());
        }
        QCOMPARE(DesignFile::overSendLimitMessage(), tooLarge);
    }

    void theDesignIsReadOffTheGUIThread() {
        // While a read takes its time, the GUI thread stays free and the send waits for it.
        addStudio();
        const auto slow = std::make_shared<QSemaphore>();
        m_state->sendQueue().setDesignReader([slow](const QUrl& url, qint64 maxBytes) {
            slow->acquire();
            return DesignFile::read(url, maxBytes);
        });
        m_state->sendQueue().send({design("a.pes", "bytes")});
        QTest::qWait(300);
        const bool sentMeanwhile = !m_fake->requests().isEmpty();
        const SendStatus meanwhile = m_state->sendQueue().sendStatus();
        slow->release();
        QVERIFY(waitForBatch());
        QVERIFY(!sentMeanwhile);
        QCOMPARE(meanwhile, SendStatus(Sending{"a.pes", 1, 1}));
        QCOMPARE(m_state->sendQueue().sendStatus(), SendStatus(Sent{"a.pes", "Studio"}));
    }

    void aDesignThatNeverAnswersFailsAndTheQueueMovesOn() {
        addStudio();
        // A file on a mount that never answers: its read never returns (until the test ends).
        const auto stuck = std::make_shared<QSemaphore>();
        m_state->sendQueue().setDesignReader([stuck](const QUrl& url, qint64 maxBytes) {
            if (url.fileName() == QLatin1String("stuck.pes"))
                stuck->acquire();
            return DesignFile::read(url, maxBytes);
        });
        m_state->sendQueue().setReadDeadline(std::chrono::milliseconds(300));
        m_state->sendQueue().send({design("stuck.pes"), design("good.pes", "good stitches")});
        const bool finished = waitForBatch();
        stuck->release();
        QVERIFY(finished);
        const QString failure = QStringLiteral("Couldn't read stuck.pes: its disk did not answer.");
        QCOMPARE(m_state->sendQueue().sendStatus(), SendStatus(Error{"Sent 1 of 2. " + failure}));
        QCOMPARE(receivedNames(*m_fake), QList<QByteArray>{"good.pes"});
        QCOMPARE(m_state->recentSends().sendLog().size(), 2);
        QCOMPARE(m_state->recentSends().sendLog().last().message, failure);
    }

    void theLogKeepsOneEntryPerFileAndAtMostFifty() {
        addStudio();
        const QUrl plain = design(QStringLiteral("dir/a.pes"));
        const QUrl dotted = QUrl::fromLocalFile(m_files.path() + "/dir/sub/../a.pes");
        const QUrl upper = design(QStringLiteral("dir/A.pes"));
        QDir().mkpath(m_files.filePath(QStringLiteral("dir/sub")));
        m_state->sendQueue().send({plain, upper, dotted});
        QVERIFY(waitForBatch());
        QCOMPARE(m_state->recentSends().sendLog().size(), 2);
        QCOMPARE(m_state->recentSends().sendLog().first().fileURL, dotted); // kept as received
        QCOMPARE(m_state->recentSends().sendLog().at(1).fileURL, upper);

        const QUuid oldID = m_state->recentSends().sendLog().first().id;
        m_state->sendQueue().send({plain});
        QVERIFY(waitForBatch());
        QCOMPARE(m_state->recentSends().sendLog().size(), 2);
        QVERIFY(m_state->recentSends().sendLog().first().id != oldID);

        QList<QUrl> many;
        for (int i = 0; i < 51; ++i)
            many.append(design(QStringLiteral("many/%1.dst").arg(i)));
        m_state->sendQueue().send(many);
        QVERIFY(waitForBatch());
        QCOMPARE(m_state->recentSends().sendLog().size(), 50);
        QCOMPARE(m_state->recentSends().sendLog().first().fileURL.fileName(),
                 QStringLiteral("50.dst"));
        QCOMPARE(m_state->recentSends().sendLog().last().fileURL.fileName(),
                 QStringLiteral("1.dst"));

        // What a new program start reads back is what this one holds.
        AppState reloaded(m_store->open());
        QCOMPARE(reloaded.recentSends().sendLog(), m_state->recentSends().sendLog());

        const SendLogEntry removed = m_state->recentSends().sendLog().at(3);
        m_state->recentSends().removeFromRecents(removed);
        QCOMPARE(m_state->recentSends().sendLog().size(), 49);
        QVERIFY(!m_state->recentSends().sendLog().contains(removed));

        m_state->recentSends().clearRecents();
        QCOMPARE(m_store->read(SettingsStore::recentSendsKey).toByteArray(), QByteArray("[]"));
        AppState cleared(m_store->open());
        QVERIFY(cleared.recentSends().sendLog().isEmpty());
    }

    void theToolRunsThePipelineOnTheUsersStore() {
        QTemporaryDir configHome;
        const QString storePath = configHome.filePath(QStringLiteral("Bobbinlark/Bobbinlark.conf"));
        {
            AppState user(SettingsStore::openFile(storePath));
            user.machineList().addMachine(savedMachineAt(*m_fake));
        }
        auto runTool = [&](const QStringList& arguments) {
            QProcess tool;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.path());
            // A program the developer runs must not take these files.
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), configHome.path());
            tool.setProcessEnvironment(environment);
            QSignalSpy finished(&tool, &QProcess::finished);
            tool.start(QStringLiteral(BOBBINLARK_TOOL_PATH), QStringList{"send"} + arguments);
            // The fake machine answers from this thread: wait without blocking it.
            if (!finished.wait(20000))
                qFatal("bobbinlark-tool send did not finish");
            return std::pair(tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()));
        };

        const auto [sentCode, sentOutput] =
            runTool({design("a.pes").toLocalFile(), design("b.dst").toLocalFile()});
        QCOMPARE(sentCode, 0);
        QCOMPARE(sentOutput, QStringLiteral("sending a.pes 1/2\nsending b.dst 2/2\n"
                                            "sent 2 designs to Studio\n"));
        QCOMPARE(receivedNames(*m_fake), (QList<QByteArray>{"a.pes", "b.dst"}));
        AppState reread(SettingsStore::openFile(storePath));
        QCOMPARE(reread.recentSends().sendLog().size(), 2);

        // The tool asks the machine for its area first, and says what the panel would.
        const QString peacock =
            QStringLiteral(BOBBINLARK_CORPUS_DIR "/JulieStenning__01Peacock.dst");
        if (QFileInfo::exists(peacock)) {
            m_fake->setInfoBody(
                "{\"serial\":\"S1\",\"features\":{\"embwidth\":1400,\"embheight\":900}}");
            const auto [warnedCode, warnedOutput] = runTool({peacock});
            QCOMPARE(warnedCode, 0);
            QCOMPARE(warnedOutput,
                     QStringLiteral("sending JulieStenning__01Peacock.dst 1/1\n"
                                    "sent JulieStenning__01Peacock.dst to Studio\n"
                                    "JulieStenning__01Peacock.dst is 181.9 × 127.8 mm, larger "
                                    "than Studio's 140 × 90 mm area.\n"));
            m_fake->setInfoBody(FakeMachine::defaultInfoBody());
        }

        const auto [refusedCode, refusedOutput] = runTool({design("a.txt").toLocalFile()});
        QCOMPARE(refusedCode, 1);
        QVERIFY(refusedOutput.startsWith(QStringLiteral("error This file can't be sent.")));

        // A running program that does not take the files is reported, not worked around.
        const qsizetype logged =
            AppState(SettingsStore::openFile(storePath)).recentSends().sendLog().size();
        QLocalServer silent;
        QVERIFY(silent.listen(SingleInstance(configHome.path()).socketPath()));
        m_fake->clearRequests();
        const auto [silentCode, silentOutput] = runTool({design("c.pes").toLocalFile()});
        QCOMPARE(silentCode, 1);
        QVERIFY(m_fake->requests().isEmpty());
        QCOMPARE(AppState(SettingsStore::openFile(storePath)).recentSends().sendLog().size(),
                 logged);
    }
};

QTEST_GUILESS_MAIN(TestSendQueue)
#include "test_send_queue.moc"
