// The drop zone and the machine bar against a real state object: designs dropped through real
// drag events go to a fake machine over TLS on loopback; the bar follows real checks and scans.

#include "State/AppState.h"
#include "Views/DropZone.h"
#include "Views/MachineBar.h"
#include "Views/MainScreen.h"
#include "Views/PopoverView.h"
#include "Views/RecentSendDrag.h"
#include "Views/RecentSendsView.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/StyledLabel.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/DragEvents.h"
#include "support/Files.h"
#include "support/Gallery.h"
#include "support/Machines.h"
#include "support/Scans.h"
#include "support/TemporaryStore.h"

#include <QApplication>
#include <QCoroTask>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLockFile>
#include <QProgressBar>

#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {

QByteArray infoBody(const QString& machineID, const std::optional<QString>& name) {
    QJsonObject object{{QStringLiteral("serial"), QStringLiteral("S1")},
                       {QStringLiteral("machine-id"), machineID}};
    if (name)
        object.insert(QStringLiteral("name"), *name);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// How much of the progress bar is filled, from 0 to 1.
double barFilled(const DropZone& zone) {
    const QProgressBar* bar = zone.progressBar();
    const int span = bar->maximum() - bar->minimum();
    return span > 0 ? double(bar->value() - bar->minimum()) / span : 0;
}

// The labels of `zone` that do not show whole: cut short of the lines their text needs, reaching
// outside the drop zone's inset, or lying over another.
QStringList cutIn(const DropZone& zone) {
    QStringList problems;
    const QRect inside = zone.contentsRect().marginsRemoved(zone.layout()->contentsMargins());
    QList<QPair<QString, QRect>> placed;
    for (StyledLabel* label : zone.findChildren<StyledLabel*>()) {
        if (!label->isVisible())
            continue;
        const QRect box(label->mapTo(&zone, QPoint(0, 0)), label->size());
        const int needed = label->hasHeightForWidth() ? label->heightForWidth(label->width())
                                                      : label->fontMetrics().height();
        if (label->height() < needed)
            problems << QStringLiteral("\"%1\" is %2 high, needs %3")
                            .arg(label->fullText())
                            .arg(label->height())
                            .arg(needed);
        if (!inside.contains(box))
            problems
                << QStringLiteral("\"%1\" reaches outside the drop zone").arg(label->fullText());
        for (const auto& [other, otherBox] : placed) {
            if (box.intersects(otherBox))
                problems << QStringLiteral("\"%1\" lies over \"%2\"").arg(label->fullText(), other);
        }
        placed.append({label->fullText(), box});
    }
    return problems;
}

// A drop zone in a window, so its animations and visibility are those of a shown panel, on a
// fresh state with Studio saved at `host`:`port`.
struct ShownZone {
    TemporaryStore store;
    AppState state{store.open()};
    QWidget window;
    DropZone* zone;
    ShownZone(const QString& host, quint16 port) {
        state.machineList().addMachine(savedMachine({.host = host, .port = port}));
        zone = new DropZone(state, &window);
        window.resize(336, 170);
        zone->setGeometry(0, 0, 336, 170);
        window.show();
    }
};

} // namespace

class TestDropZone : public QObject {
    Q_OBJECT

    QTemporaryDir m_designs;

    QUrl design(const QString& name, const QByteArray& contents = "#PES0001 design") {
        const QString path = m_designs.filePath(name);
        if (!writeFile(path, contents))
            qFatal("cannot write test design");
        return QUrl::fromLocalFile(path);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_designs.isValid());
        // No desktop portal here: the drop zone's chooser is Qt's own, which a test can drive.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bobbinlark-test-bus");
    }

    // --- what the panel says -----------------------------------------------------------------

    void idleTextNamesTheMachineOrAsksForOne() {
        TemporaryStore store;
        AppState state(store.open());
        DropZone zone(state);
        QCOMPARE(zone.content(), DropZone::Content::idle);
        QCOMPARE(zone.iconName(), QStringLiteral("square.and.arrow.down"));
        QCOMPARE(zone.title(), QStringLiteral("Drop designs here"));
        QCOMPARE(zone.detail(), QStringLiteral("Set up your machine above first."));
        Gallery::render(zone, QStringLiteral("drop-zone-no-machine"));

        state.machineList().addMachine(savedMachine({.host = "127.0.0.9"}));
        QCOMPARE(zone.title(), QStringLiteral("Drop designs to send to Studio"));
        QCOMPARE(zone.detail(), QStringLiteral(".pes  .phc  .dst  .pen"));
        QVERIFY(!zone.okButton()->isVisibleTo(&zone));
    }

    void sendingShowsProgressNameAndCount() {
        ShownZone shown(QStringLiteral("127.0.0.9"), 443);
        AppState& state = shown.state;
        DropZone& zone = *shown.zone;

        state.sendQueue().setSendStatus(SendStatuses::Sending{QStringLiteral("flower.pes"), 1, 1});
        QCOMPARE(zone.content(), DropZone::Content::sending);
        QCOMPARE(barFilled(zone), 0.0);
        QCOMPARE(zone.sendingLine(), QStringLiteral("Sending flower.pes…"));
        QCOMPARE(zone.indexLine(), QString()); // a batch of one has no count
        QVERIFY(!zone.okButton()->isVisibleTo(&zone));

        state.sendQueue().setSendStatus(SendStatuses::Sending{QStringLiteral("rose.dst"), 2, 3});
        QCOMPARE(barFilled(zone), 1.0 / 3);
        QCOMPARE(zone.indexLine(), QStringLiteral("2 of 3"));
        QVERIFY(zone.progressBar()->width() <= 200);

        const QString longName = QStringLiteral("an-exceptionally-long-design-file-name-that-"
                                                "never-ends-but-must-stay-on-one-line.pes");
        state.sendQueue().setSendStatus(SendStatuses::Sending{longName, 3, 3});
        QCOMPARE(zone.sendingLine(), QStringLiteral("Sending ") + longName + QStringLiteral("…"));
        auto* line = zone.findChildren<QLabel*>().at(0);
        for (QLabel* label : zone.findChildren<QLabel*>()) {
            if (label->text().startsWith(QStringLiteral("Sending ")))
                line = label;
        }
        QVERIFY(!line->text().contains(QLatin1Char('\n')));
        QVERIFY(line->text().contains(QStringLiteral("…")));
        QVERIFY(line->text().endsWith(QStringLiteral(".pes…")));
        QVERIFY(line->width() <= zone.width());
    }

    void sentAndErrorStatesAndTheirOKButton() {
        ShownZone shown(QStringLiteral("127.0.0.9"), 443);
        AppState& state = shown.state;
        DropZone& zone = *shown.zone;

        state.sendQueue().setSendStatus(
            SendStatuses::Sent{QStringLiteral("3 designs"), QStringLiteral("Studio")});
        QCOMPARE(zone.content(), DropZone::Content::sent);
        QCOMPARE(zone.iconName(), QStringLiteral("checkmark.circle.fill"));
        QCOMPARE(zone.title(), QStringLiteral("Sent 3 designs to Studio"));
        QCOMPARE(zone.detail(), QStringLiteral("On the machine, open the pattern retrieve screen "
                                               "and pick the wireless pocket."));
        QVERIFY(zone.isAnimating()); // the change fades in, briefly
        QTRY_VERIFY(!zone.isAnimating());
        QCOMPARE(zone.warning(), QString());

        // Designs larger than the machine's area are named under the summary, three at most.
        const QString rose =
            QStringLiteral("ROSE.DST is 280 × 200 mm, larger than Studio's 260 × 160 mm area.");
        state.sendQueue().setSendStatus(
            SendStatuses::Sent{QStringLiteral("ROSE.DST"), QStringLiteral("Studio"), {rose}});
        QCOMPARE(zone.title(), QStringLiteral("Sent ROSE.DST to Studio"));
        QCOMPARE(zone.warning(), rose);
        QVERIFY(!zone.detail().isEmpty());
        QTRY_VERIFY(!zone.isAnimating());
        Gallery::render(zone, QStringLiteral("drop-zone-sent-oversize"));
        QCOMPARE(cutIn(zone), QStringList());

        // Several keep a line each, two at most: the second says how many more there are. The
        // instruction stays under them, whole: it is what to do next.
        QStringList five;
        for (const char* name : {"A.PES", "B.PES", "C.PES", "D.PES", "E.PES"})
            five << QString::fromLatin1(name) + QStringLiteral(" is 300 × 300 mm, larger than "
                                                               "Studio's 260 × 160 mm area.");
        const QString instruction = QStringLiteral(
            "On the machine, open the pattern retrieve screen and pick the wireless pocket.");
        state.sendQueue().setSendStatus(SendStatuses::Sent{
            QStringLiteral("2 designs"), QStringLiteral("Studio"), five.first(2)});
        QCOMPARE(zone.warning(), five.first(2).join(u'\n'));
        QCOMPARE(zone.detail(), instruction);
        QTRY_VERIFY(!zone.isAnimating());
        QCOMPARE(cutIn(zone), QStringList());
        Gallery::render(zone, QStringLiteral("drop-zone-sent-oversize-two"));

        state.sendQueue().setSendStatus(SendStatuses::Sent{
            QStringLiteral("3 designs"), QStringLiteral("Studio"), five.first(3)});
        QCOMPARE(zone.warning(), five.first() + QStringLiteral("\nand 2 more"));
        QCOMPARE(zone.detail(), instruction);
        QTRY_VERIFY(!zone.isAnimating());
        QCOMPARE(cutIn(zone), QStringList());
        // Each line's tooltip says it whole; the count's names the ones it counts.
        QStringList tips;
        for (StyledLabel* label : zone.findChildren<StyledLabel*>()) {
            if (label->isVisible() && !label->toolTip().isEmpty())
                tips << label->toolTip();
        }
        QCOMPARE(tips, (QStringList{five[0], five.mid(1, 2).join(u'\n')}));
        Gallery::render(zone, QStringLiteral("drop-zone-sent-oversize-three"));

        state.sendQueue().setSendStatus(
            SendStatuses::Sent{QStringLiteral("5 designs"), QStringLiteral("Studio"), five});
        QCOMPARE(zone.warning(), five.first() + QStringLiteral("\nand 4 more"));
        QCOMPARE(zone.detail(), instruction);
        QTRY_VERIFY(!zone.isAnimating());
        QCOMPARE(cutIn(zone), QStringList());

        state.sendQueue().setSendStatus(
            SendStatuses::Error{QStringLiteral("The machine didn't answer.")});
        QCOMPARE(zone.content(), DropZone::Content::error);
        QCOMPARE(zone.iconName(), QStringLiteral("exclamationmark.triangle.fill"));
        QCOMPARE(zone.title(), QString());
        QCOMPARE(zone.detail(), QStringLiteral("The machine didn't answer."));
        QCOMPARE(zone.warning(), QString());
        QVERIFY(zone.okButton()->isVisible());
        QCOMPARE(zone.okButton()->text(), QStringLiteral("OK"));
        QTest::mouseClick(zone.okButton(), Qt::LeftButton);
        QCOMPARE(state.sendQueue().sendStatus(), SendStatus(SendStatuses::Idle{}));
        QCOMPARE(zone.content(), DropZone::Content::idle);
        QVERIFY(!zone.okButton()->isVisible());
    }

    // --- dragging over it ------------------------------------------------------------------

    void filesOverThePanelTargetIt() {
        ShownZone shown(QStringLiteral("127.0.0.9"), 443);
        AppState& state = shown.state;
        DropZone& zone = *shown.zone;
        state.sendQueue().setSendStatus(SendStatuses::Sending{QStringLiteral("flower.pes"), 1, 2});

        const auto files = DragEvents::urls({design(QStringLiteral("a.pes"))});
        QVERIFY(DragEvents::enter(&zone, files.get()));
        QVERIFY(zone.isTargeted());
        // Whatever the status, a drag over the panel shows where it goes.
        QCOMPARE(zone.content(), DropZone::Content::targeted);
        QCOMPARE(zone.iconName(), QStringLiteral("arrow.down.circle.fill"));
        QCOMPARE(zone.title(), QStringLiteral("Release to send"));
        QCOMPARE(zone.detail(), QStringLiteral("to Studio"));
        QTRY_VERIFY(!zone.isAnimating());
        Gallery::render(zone, QStringLiteral("drop-zone-targeted"));
        DragEvents::leave(&zone);
        QVERIFY(!zone.isTargeted());
        QCOMPARE(zone.content(), DropZone::Content::sending);
        QCOMPARE(zone.sendingLine(), QStringLiteral("Sending flower.pes…"));

        // Web links alone, and recent sends from other programs, are not taken.
        const auto link = DragEvents::urls({QUrl(QStringLiteral("https://example.com/a.pes"))});
        QVERIFY(!DragEvents::enter(&zone, link.get()));
        QVERIFY(!zone.isTargeted());
        QMimeData foreign;
        foreign.setData(RecentSendDrag::mimeType,
                        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toUtf8());
        QVERIFY(!DragEvents::enter(&zone, &foreign));
        QVERIFY(!zone.isTargeted());
        const auto own = RecentSendDrag::makeData(QUuid::createUuid());
        QVERIFY(DragEvents::enter(&zone, own.get()));
        QVERIFY(zone.isTargeted());
        DragEvents::leave(&zone);

        // No machine: the targeted panel has no second line.
        TemporaryStore empty;
        AppState none(empty.open());
        DropZone bare(none);
        QVERIFY(DragEvents::enter(&bare, files.get()));
        QCOMPARE(bare.title(), QStringLiteral("Release to send"));
        QCOMPARE(bare.detail(), QString());
    }

    void itemsResolveInDropOrderAndLeaveOutWhatIsNotAFile() {
        const QUrl a = QUrl::fromLocalFile(QStringLiteral("/designs/a.pes"));
        const QUrl b = QUrl::fromLocalFile(QStringLiteral("/designs/b.dst"));
        const QUrl web(QStringLiteral("https://example.com/c.pes"));
        const QUrl near(QStringLiteral("file://localhost/designs/d.pes"));
        const auto data = DragEvents::urls({a, web, b, near});
        const QList<DropZone::Item> items = DropZone::items(data.get(), false);
        QCOMPARE(items.size(), 4);
        QList<QUrl> resolved;
        for (const DropZone::Item& item : items) {
            if (auto url = DropZone::loadURL(item, {}))
                resolved << *url;
        }
        QCOMPARE(resolved,
                 (QList<QUrl>{a, b, QUrl::fromLocalFile(QStringLiteral("/designs/d.pes"))}));

        // A recent send resolves through the log, and never as a file too.
        const SendLogEntry entry{QUuid::createUuid(), 0, QStringLiteral("Studio"), a, true, {}};
        auto own = RecentSendDrag::makeData(entry.id);
        own->setUrls({b});
        const QList<DropZone::Item> recent = DropZone::items(own.get(), true);
        QCOMPARE(recent.size(), 1);
        QCOMPARE(DropZone::loadURL(recent.first(), {entry}), std::optional<QUrl>(a));
        QCOMPARE(DropZone::loadURL(recent.first(), {}), std::nullopt);
        // From another program the same data is only its files.
        QCOMPARE(DropZone::items(own.get(), false).size(), 1);
        QCOMPARE(DropZone::items(own.get(), false).first().url, std::optional<QUrl>(b));
        QCOMPARE(DropZone::loadURL(DropZone::Item{std::nullopt, QByteArray("not-an-id")}, {entry}),
                 std::nullopt);
    }

    // --- dropping, against the fake machine ----------------------------------------------------

    void threeDroppedDesignsGoOutOneByOne() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.61"))));
        ShownZone shown(machine.host(), machine.port());
        AppState& state = shown.state;
        DropZone& zone = *shown.zone;
        state.sendQueue().setStatusResetDelay(std::chrono::milliseconds(400));

        QStringList progress;
        connect(&state.sendQueue(), &SendQueue::sendStatusChanged, this, [&] {
            if (zone.content() == DropZone::Content::sending)
                progress << zone.sendingLine() + QLatin1Char('|') + zone.indexLine();
        });
        const auto data = DragEvents::urls(
            {design(QStringLiteral("one.pes")), QUrl(QStringLiteral("https://example.com/x.pes")),
             design(QStringLiteral("two.dst"), "LA:two"), design(QStringLiteral("three.pes"))});
        QVERIFY(DragEvents::dragAndDrop(&zone, data.get()));
        QVERIFY(!zone.isTargeted());
        QVERIFY(
            !state.sendQueue().isSending()); // resolved and sent on the next turn of the event loop

        QTRY_COMPARE_WITH_TIMEOUT(zone.content(), DropZone::Content::sent, 20000);
        QCOMPARE(progress, (QStringList{QStringLiteral("Sending one.pes…|1 of 3"),
                                        QStringLiteral("Sending two.dst…|2 of 3"),
                                        QStringLiteral("Sending three.pes…|3 of 3")}));
        QCOMPARE(zone.title(), QStringLiteral("Sent 3 designs to Studio"));
        QCOMPARE(receivedNames(machine), (QList<QByteArray>{"one.pes", "two.dst", "three.pes"}));
        // Back to the idle text after the (shortened) delay.
        QTRY_COMPARE_WITH_TIMEOUT(zone.content(), DropZone::Content::idle, 5000);
        QCOMPARE(zone.title(), QStringLiteral("Drop designs to send to Studio"));
    }

    // On a slow link the bar fills as the machine takes the design, not only when it is done.
    void theBarMovesWithinOneFile() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.61"))));
        machine.setReadRate(400'000); // about a second for the design
        ShownZone shown(machine.host(), machine.port());
        AppState& state = shown.state;
        DropZone& zone = *shown.zone;

        QList<double> filled;
        connect(&state.sendQueue(), &SendQueue::fileProgressChanged, this, [&] {
            if (zone.content() == DropZone::Content::sending)
                filled << barFilled(zone);
        });
        state.sendQueue().send({design(QStringLiteral("large.pes"), QByteArray(400'000, 'p'))});
        QTRY_COMPARE_WITH_TIMEOUT(zone.content(), DropZone::Content::sent, 20000);
        QVERIFY2(std::any_of(filled.cbegin(), filled.cend(),
                             [](double part) { return part > 0.1 && part < 0.9; }),
                 qPrintable(QStringLiteral("%1 steps").arg(filled.size())));
        QVERIFY(std::is_sorted(filled.cbegin(), filled.cend()));
    }

    void aRefusedUploadShowsTheErrorUntilOK() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.62"))));
        machine.setUploadStatus(500);
        ShownZone shown(machine.host(), machine.port());
        AppState& state = shown.state;
        DropZone& zone = *shown.zone;

        const auto data = DragEvents::urls({design(QStringLiteral("refused.pes"))});
        QVERIFY(DragEvents::dragAndDrop(&zone, data.get()));
        QTRY_COMPARE_WITH_TIMEOUT(zone.content(), DropZone::Content::error, 20000);
        QVERIFY(!zone.detail().isEmpty());
        QCOMPARE(zone.detail(),
                 std::get<SendStatuses::Error>(state.sendQueue().sendStatus()).message);
        QVERIFY(zone.okButton()->isVisible());
        QTRY_VERIFY(!zone.isAnimating());
        Gallery::render(zone, QStringLiteral("drop-zone-error"));
        QTest::mouseClick(zone.okButton(), Qt::LeftButton);
        QCOMPARE(zone.content(), DropZone::Content::idle);

        // A write of the store that cannot take its turn is said in the same place.
        QLockFile stuck(shown.store.path() + QStringLiteral(".writer-lock"));
        QVERIFY(stuck.tryLock(0));
        state.store().setStoreWaitLimit(std::chrono::milliseconds(100));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("kept them busy"));
        state.machineList().selectMachine(state.machineList().machines().first());
        QTRY_COMPARE(zone.content(), DropZone::Content::error);
        QCOMPARE(zone.detail(), state.store().storeProblem().value_or(QString()));
        QTRY_VERIFY(!zone.isAnimating());
        Gallery::render(zone, QStringLiteral("drop-zone-store-problem"));
    }

    // An error's "OK" pressed from the keyboard: the focus stays on the drop zone, never moves
    // on to "Clear", and the drop zone's own keys open the chooser of design files.
    void theKeyboardStaysOnTheDropZoneAndChoosesFilesThere() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.64"))));
        TemporaryStore store;
        AppState state(store.open());
        state.machineList().addMachine(savedMachineAt(machine));
        const SendLogEntry earlier{QUuid::createUuid(),
                                   SendLogEntry::dateFrom(QDateTime::currentDateTime()),
                                   QStringLiteral("Studio"),
                                   design(QStringLiteral("earlier.pes")),
                                   true,
                                   QString()};
        state.recentSends().setSendLog({earlier});
        PopoverView view(state);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        DropZone* zone = view.mainScreen()->dropZone();
        auto* recents = qobject_cast<RecentSendsView*>(view.mainScreen()->recentSends());
        QVERIFY(recents->clearButton()->isEnabled());

        state.sendQueue().setSendStatus(
            SendStatuses::Error{QStringLiteral("The machine didn't answer.")});
        zone->okButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(zone->okButton(), Qt::Key_Return);
        QCOMPARE(zone->content(), DropZone::Content::idle);
        QCOMPARE(QApplication::focusWidget(), zone);
        QVERIFY(zone->isFocusRingVisible());
        QVERIFY(zone->accessibleDescription().contains(QStringLiteral("choose design files")));

        // The same stray Return now asks for files; the recent sends are untouched.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(state.recentSends().sendLog(), QList{earlier});
        QTRY_VERIFY(zone->fileChooser());
        QFileDialog* chooser = zone->fileChooser();
        QCOMPARE(chooser->fileMode(), QFileDialog::ExistingFiles);
        const QStringList filter = chooser->nameFilters();
        for (const char* type : {"*.pes", "*.phc", "*.dst", "*.pen"})
            QVERIFY(filter.join(QString()).contains(QLatin1String(type)));
        const QUrl chosen = design(QStringLiteral("chosen.pes"));
        // Typed into the chooser's own name field, as a person may.
        auto* nameField = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameField);
        nameField->setText(chosen.toLocalFile());
        QMetaObject::invokeMethod(chooser, "accept");
        QTRY_COMPARE_WITH_TIMEOUT(receivedNames(machine), QList<QByteArray>{"chosen.pes"}, 20000);
        QTRY_VERIFY(!zone->fileChooser());

        // A click opens it as well; closing it sends nothing.
        QTest::mouseClick(zone, Qt::LeftButton, {}, QPoint(8, 8));
        QTRY_VERIFY(zone->fileChooser());
        zone->fileChooser()->reject();
        QTRY_VERIFY(!zone->fileChooser());
        QCOMPARE(receivedNames(machine), QList<QByteArray>{"chosen.pes"});
        QVERIFY(!std::holds_alternative<SendStatuses::Sending>(state.sendQueue().sendStatus()));
    }

    void aRecentSendDroppedBackIsSentAgainUnlessItLeftTheLog() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.63"))));
        ShownZone shown(machine.host(), machine.port());
        AppState& state = shown.state;
        DropZone& zone = *shown.zone;
        const SendLogEntry entry{QUuid::createUuid(),
                                 0,
                                 QStringLiteral("Studio"),
                                 design(QStringLiteral("again.pes")),
                                 true,
                                 {}};
        state.recentSends().setSendLog({entry});

        const auto own = RecentSendDrag::makeData(entry.id);
        QVERIFY(DragEvents::dragAndDrop(&zone, own.get()));
        QTRY_COMPARE_WITH_TIMEOUT(receivedNames(machine), QList<QByteArray>{"again.pes"}, 20000);
        QTRY_VERIFY(!state.sendQueue().isSending());

        // The same id from another program: refused before anything is resolved.
        QMimeData foreign;
        foreign.setData(RecentSendDrag::mimeType, own->data(RecentSendDrag::mimeType));
        QVERIFY(!DragEvents::dragAndDrop(&zone, &foreign));

        // Removed from the log while the drag was under way: nothing is sent.
        const SendLogEntry latest = state.recentSends().sendLog().first();
        const auto stale = RecentSendDrag::makeData(latest.id);
        QVERIFY(DragEvents::enter(&zone, stale.get()));
        state.recentSends().setSendLog({});
        QVERIFY(DragEvents::drop(&zone, stale.get()));
        QTest::qWait(50);
        QVERIFY(!state.sendQueue().isSending());
        QCOMPARE(receivedNames(machine).size(), 1);
        QCOMPARE(zone.content(), DropZone::Content::sent); // still the first send's result
        QCOMPARE(zone.title(), QStringLiteral("Sent again.pes to Studio"));
    }

    // --- the machine bar -------------------------------------------------------------------

    void setupBarInvitesAndLooks() {
        TemporaryStore store;
        AppState state(store.open());
        QList<Screen> pushed;
        MachineBar bar(state, [&pushed](const Screen& screen) { pushed << screen; });
        QCOMPARE(bar.kind(), MachineBar::Kind::setup);
        QCOMPARE(bar.iconName(), QStringLiteral("questionmark.circle"));
        QCOMPARE(bar.title(), QStringLiteral("No machine set up"));
        QVERIFY(!bar.isSpinnerShown());
        QCOMPARE(bar.actionButton()->text(), QStringLiteral("Set Up…"));
        QCOMPARE(bar.actionButton()->kind(), ControlButton::Kind::bordered);
        bar.resize(336, MachineBar::height);
        bar.show();
        QTest::mouseClick(bar.actionButton(), Qt::LeftButton);
        QCOMPARE(pushed, QList<Screen>{Screen::machines()});
        Gallery::render(bar, QStringLiteral("machine-bar-setup"));

        // A scan of a loopback subnet where nothing answers: spinner, then "nothing found".
        FakeMachine slow; // takes connections and never answers, so the scan is seen running
        QVERIFY(slow.start(QHostAddress(QStringLiteral("127.0.0.70"))));
        slow.setNeverAnswer(true);
        state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 69}, slow.port()));
        QCoro::Task<> scan = state.monitor().discover();
        QTRY_VERIFY(state.monitor().isDiscovering());
        QVERIFY(bar.isSpinnerShown());
        QCOMPARE(bar.title(), QStringLiteral("Looking for your machine…"));
        QCOMPARE(bar.iconName(), QString());
        Gallery::render(bar, QStringLiteral("machine-bar-scanning"));
        QCoro::waitFor(std::move(scan));
        QVERIFY(!bar.isSpinnerShown());
        QCOMPARE(bar.title(), QStringLiteral("No machine found on this network"));

        // No network to scan: the bar says what the machines list says.
        state.monitor().setDiscoveryEnvironment(Scans::noNetwork());
        QCoro::waitFor(state.monitor().discover());
        QVERIFY(state.monitor().discoveryError());
        QCOMPARE(bar.title(), QStringLiteral("Couldn't scan the network"));
        QVERIFY(state.monitor().discoveryError()->startsWith(bar.title() + QLatin1Char('.')));
        Gallery::render(bar, QStringLiteral("machine-bar-no-network"));
    }

    void foundBarOffersTheFirstMachineFound() {
        FakeMachine first;
        QVERIFY(first.start(QHostAddress(QStringLiteral("127.0.0.73"))));
        first.setInfoBody(infoBody(QStringLiteral("M-73"), std::nullopt));
        FakeMachine second(nullptr);
        QVERIFY(second.start(QHostAddress(QStringLiteral("127.0.0.74")), first.port()));
        second.setInfoBody(infoBody(QStringLiteral("M-74"), QStringLiteral("Second")));
        TemporaryStore store;
        AppState state(store.open());
        MachineBar bar(state, [](const Screen&) {});
        state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 0, 72}, first.port(), {255, 255, 255, 248}));
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(state.monitor().discovered().size(), 2);

        QCOMPARE(bar.kind(), MachineBar::Kind::found);
        const MachineInfo offered = state.monitor().discovered().first();
        QCOMPARE(bar.title(), offered.host == QLatin1String("127.0.0.73")
                                  ? QStringLiteral("Found a Brother machine")
                                  : QStringLiteral("Found Second"));
        QCOMPARE(bar.subtitle(), offered.host + QLatin1Char(':') + QString::number(first.port()));
        QCOMPARE(bar.iconName(), QStringLiteral("dot.radiowaves.left.and.right"));
        QCOMPARE(bar.actionButton()->text(), QStringLiteral("Use This Machine"));
        QCOMPARE(bar.actionButton()->kind(), ControlButton::Kind::prominent);
        bar.resize(336, MachineBar::height);
        bar.show();
        Gallery::render(bar, QStringLiteral("machine-bar-found"));
        // The button sits beside the name in a bar of the usual height, or, when large text
        // leaves the name no room, under it in a bar grown to hold it; never cut off.
        const QRect button(bar.actionButton()->mapTo(&bar, QPoint(0, 0)),
                           bar.actionButton()->size());
        const bool under = bar.QWidget::height() > MachineBar::height;
        QCOMPARE(button.top() >= MachineBar::height / 2, under);
        QVERIFY(bar.rect().contains(button));
        if (Gallery::fontScale() < 1.2)
            QVERIFY(!under);

        QTest::mouseClick(bar.actionButton(), Qt::LeftButton);
        QCOMPARE(state.machineList().machines().size(), 1);
        QCOMPARE(bar.kind(), MachineBar::Kind::selected);
        QCOMPARE(bar.title(), state.machineList().machines().first().name);
    }

    void foundMachineWithoutANameIsABrotherMachine() {
        FakeMachine unnamed;
        QVERIFY(unnamed.start(QHostAddress(QStringLiteral("127.0.0.77")), 0));
        unnamed.setInfoBody(infoBody(QStringLiteral("M-77"), std::nullopt));
        TemporaryStore store;
        AppState state(store.open());
        MachineBar bar(state, [](const Screen&) {});
        state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 76}, unnamed.port()));
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(bar.title(), QStringLiteral("Found a Brother machine"));
    }

    void selectedBarSubtitles_data() {
        QTest::addColumn<qint64>("port");
        QTest::addColumn<int>("reachability");
        QTest::addColumn<bool>("relocated");
        QTest::addColumn<bool>("discovering");
        QTest::addColumn<QString>("subtitle");
        const auto r = [](Reachability value) { return int(value); };
        QTest::newRow("unknown 443") << qint64(443) << r(Reachability::unknown) << false << false
                                     << QStringLiteral("studio.local");
        QTest::newRow("checking 8443") << qint64(8443) << r(Reachability::checking) << false
                                       << false << QStringLiteral("studio.local:8443");
        QTest::newRow("ready") << qint64(443) << r(Reachability::reachable) << false << false
                               << QStringLiteral("studio.local · Ready");
        QTest::newRow("ready 8443") << qint64(8443) << r(Reachability::reachable) << false << true
                                    << QStringLiteral("studio.local:8443 · Ready");
        QTest::newRow("moved") << qint64(443) << r(Reachability::reachable) << true << false
                               << QStringLiteral("studio.local · Found at a new address");
        QTest::newRow("looking") << qint64(443) << r(Reachability::unreachable) << false << true
                                 << QStringLiteral("Not answering · Looking on the network…");
        QTest::newRow("not answering")
            << qint64(8443) << r(Reachability::unreachable) << false << false
            << QStringLiteral("Not answering at studio.local:8443");
    }

    void selectedBarSubtitles() {
        QFETCH(qint64, port);
        QFETCH(int, reachability);
        QFETCH(bool, relocated);
        QFETCH(bool, discovering);
        QFETCH(QString, subtitle);
        const SavedMachine machine = savedMachine({.host = "studio.local", .port = port});
        QCOMPARE(MachineBar::subtitle(machine, Reachability(reachability), relocated, discovering),
                 subtitle);
    }

    void selectedBarFollowsChecksAndScans() {
        // Saved where nothing answers; the machine itself answers at another address.
        FakeMachine moved;
        QVERIFY(moved.start(QHostAddress(QStringLiteral("127.0.0.82"))));
        moved.setInfoBody(infoBody(QStringLiteral("M-80"), QStringLiteral("Studio")));
        const quint16 dead = closedPort(QStringLiteral("127.0.0.81"));
        TemporaryStore store;
        AppState state(store.open());
        const SavedMachine studio = state.machineList().addMachine(
            savedMachine({.host = "127.0.0.81", .port = dead, .machineID = "M-80"}));
        QList<Screen> pushed;
        MachineBar bar(state, [&pushed](const Screen& screen) { pushed << screen; });
        bar.resize(336, MachineBar::height);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));

        // No entry yet: grey dot, host and port, no spinner.
        QCOMPARE(bar.kind(), MachineBar::Kind::selected);
        QCOMPARE(bar.title(), QStringLiteral("Studio"));
        QCOMPARE(bar.subtitle(), QStringLiteral("127.0.0.81:%1").arg(dead));
        QCOMPARE(bar.dotReachability(), Reachability::unknown);
        QVERIFY(!bar.isSpinnerShown());

        QCoro::Task<> check = state.monitor().check(studio);
        QCOMPARE(bar.dotReachability(), Reachability::checking);
        QVERIFY(bar.isSpinnerShown());
        Gallery::render(bar, QStringLiteral("machine-bar-checking"));
        QCoro::waitFor(std::move(check));
        QCOMPARE(bar.dotReachability(), Reachability::unreachable);
        QCOMPARE(bar.subtitle(), QStringLiteral("Not answering at 127.0.0.81:%1").arg(dead));
        QVERIFY(bar.isSubtitleRed());
        QVERIFY(!bar.isSpinnerShown());
        Gallery::render(bar, QStringLiteral("machine-bar-unreachable"));

        state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 81}, moved.port()));
        QCoro::Task<> scan = state.monitor().discover();
        QTRY_VERIFY(state.monitor().isDiscovering());
        QCOMPARE(bar.subtitle(), QStringLiteral("Not answering · Looking on the network…"));
        QVERIFY(bar.isSpinnerShown());
        Gallery::render(bar, QStringLiteral("machine-bar-looking"));
        QCoro::waitFor(std::move(scan));
        QCOMPARE(bar.dotReachability(), Reachability::reachable);
        QCOMPARE(bar.subtitle(),
                 QStringLiteral("127.0.0.82:%1 · Found at a new address").arg(moved.port()));
        QVERIFY(!bar.isSubtitleRed());
        Gallery::render(bar, QStringLiteral("machine-bar-relocated"));

        // Anywhere on the bar, even its empty middle, opens the machines list.
        QTest::mouseClick(bar.selectedButton(), Qt::LeftButton, {}, QPoint(250, 22));
        QTest::mouseClick(bar.selectedButton(), Qt::LeftButton, {}, QPoint(2, 22));
        QCOMPARE(pushed, (QList<Screen>{Screen::machines(), Screen::machines()}));
        QCOMPARE(bar.selectedButton()->toolTip(), QStringLiteral("Choose or manage machines"));
    }

    // --- the whole main screen, every state, for a person to look at ---------------------------

    void mainScreenGallery() {
        FakeMachine live;
        QVERIFY(live.start(QHostAddress(QStringLiteral("127.0.0.90"))));
        live.setInfoBody(infoBody(QStringLiteral("M-90"), QStringLiteral("Studio")));
        FakeMachine silent;
        QVERIFY(silent.start(QHostAddress(QStringLiteral("127.0.0.86"))));
        silent.setNeverAnswer(true);
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QStringList shots;
        const auto shoot = [&](const QString& name) {
            MainScreen* main = view.mainScreen();
            QTRY_VERIFY(!main->dropZone()->isAnimating());
            const Gallery::Shots images = Gallery::render(view, QStringLiteral("main-") + name);
            QVERIFY(images.saved);
            shots << name;
        };

        shoot(QStringLiteral("no-machine"));
        // Scanning a subnet where one address takes the connection and never answers.
        state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 85}, silent.port()));
        QCoro::Task<> scan = state.monitor().discover();
        QTRY_VERIFY(state.monitor().isDiscovering());
        shoot(QStringLiteral("scanning"));
        QCoro::waitFor(std::move(scan));
        shoot(QStringLiteral("nothing-found"));

        state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 89}, live.port()));
        QCoro::waitFor(state.monitor().discover());
        QCOMPARE(view.mainScreen()->machineBar()->kind(), MachineBar::Kind::found);
        shoot(QStringLiteral("found-machine"));

        const quint16 dead = closedPort(QStringLiteral("127.0.0.93"));
        const SavedMachine studio = state.machineList().addMachine(
            savedMachine({.host = "127.0.0.93", .port = dead, .machineID = "M-90"}));
        QCOMPARE(view.mainScreen()->machineBar()->kind(), MachineBar::Kind::selected);
        shoot(QStringLiteral("selected-unknown"));
        QCoro::Task<> check = state.monitor().check(studio);
        shoot(QStringLiteral("selected-checking"));
        QCoro::waitFor(std::move(check));
        shoot(QStringLiteral("selected-unreachable"));
        state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 89}, live.port()));
        scan = state.monitor().discover();
        QTRY_VERIFY(state.monitor().isDiscovering());
        shoot(QStringLiteral("selected-looking"));
        QCoro::waitFor(std::move(scan));
        QCOMPARE(state.monitor().reachabilityOf(studio.id), Reachability::reachable);
        shoot(QStringLiteral("selected-relocated"));
        QCoro::waitFor(state.monitor().discover()); // a new scan forgets the move: plain "Ready"
        shoot(QStringLiteral("selected-ready"));

        DropZone* zone = view.mainScreen()->dropZone();
        const auto files = DragEvents::urls({design(QStringLiteral("flower.pes"))});
        QVERIFY(DragEvents::enter(zone, files.get()));
        shoot(QStringLiteral("targeted"));
        DragEvents::leave(zone);
        state.sendQueue().setSendStatus(SendStatuses::Sending{
            QStringLiteral("spring-flowers-with-a-rather-long-file-name-border.pes"), 1, 3});
        shoot(QStringLiteral("sending-1-of-3"));
        state.sendQueue().setSendStatus(
            SendStatuses::Sent{QStringLiteral("3 designs"), QStringLiteral("Studio")});
        shoot(QStringLiteral("sent"));
        state.sendQueue().setSendStatus(SendStatuses::Error{
            QStringLiteral("Sent 2 of 3. rose.dst: The machine refused the design.")});
        shoot(QStringLiteral("error"));
        QCOMPARE(shots.size(), 14);
    }
};

QTEST_MAIN(TestDropZone)
#include "test_drop_zone.moc"
