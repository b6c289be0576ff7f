// The machines list, the machine editor and the machine info screen, against a real state
// object with a real settings file and fake machines over real TLS on loopback, driven with real
// clicks and typing. Scans see only injected loopback interfaces.

#include "Networking/CertificateTrustSession.h"
#include "State/AppState.h"
#include "Support/SettingsStore.h"
#include "Views/MachineEditView.h"
#include "Views/MachineInfoView.h"
#include "Views/MachineRow.h"
#include "Views/MachinesView.h"
#include "Views/PopoverView.h"
#include "Views/Widgets/ConfirmationSheet.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/FormSection.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/ScreenHeader.h"
#include "Views/Widgets/StatusDot.h"
#include "Views/Widgets/StyledLabel.h"
#include "Views/Widgets/SymbolView.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/Gallery.h"
#include "support/Machines.h"
#include "support/Scans.h"
#include "support/TemporaryStore.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

#include <atomic>
#include <memory>

namespace {

QByteArray infoBody(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// A state object on a fresh settings file that scans nothing unless a test says so. Screens
// start checks and scans they do not wait for: the state outlives them, as in the program.
struct World {
    TemporaryStore store;
    AppState state{store.open()};
    World() { state.monitor().setDiscoveryEnvironment(Scans::noNetwork()); }
    SavedMachine add(MachineFields fields) {
        return state.machineList().addMachine(savedMachine(std::move(fields)));
    }
    SavedMachine addAt(const FakeMachine& fake, MachineFields fields = {}) {
        return state.machineList().addMachine(savedMachineAt(fake, std::move(fields)));
    }
    // The machine as saved now.
    SavedMachine saved(const QUuid& id) const {
        return state.machineList().savedMachine(id).value();
    }
    ~World() {
        // Idle twice in a row with events handled between: a cancelled check finishes on a
        // posted event, after another check may already have set the reachability it shows.
        QDeadlineTimer deadline(6000);
        for (int idle = 0; idle < 2 && !deadline.hasExpired();) {
            QTest::qWait(10);
            const bool quiet =
                !state.monitor().isDiscovering() &&
                !state.monitor().reachability().values().contains(Reachability::checking);
            idle = quiet ? idle + 1 : 0;
        }
    }
};

void replaceText(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

QStringList menuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("--") : action->text());
    return texts;
}

QAction* menuAction(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

MachinesView* machinesView(PopoverView& view) {
    return qobject_cast<MachinesView*>(view.currentScreen());
}

} // namespace

class TestMachineScreens : public QObject {
    Q_OBJECT

private slots:
    // --- machines list -----------------------------------------------------------------------

    void rowsShowSelectionAndReachability() {
        FakeMachine answering;
        QVERIFY(answering.start(QHostAddress(QStringLiteral("127.0.12.1"))));
        answering.setDelay(150);
        World world;
        const SavedMachine studio = world.addAt(answering);
        const SavedMachine attic =
            world.add({.name = "Attic", .host = "127.0.12.3", .port = closedPort("127.0.12.3")});
        const SavedMachine spare = world.add({.name = "Spare", .host = "127.0.12.4"});
        world.state.machineList().selectMachine(attic);
        QCoro::waitFor(world.state.monitor().check(attic));

        MachinesView view(
            world.state, [](const Screen&) {}, [] {});
        QVERIFY(view.savedSection()->isVisibleTo(&view));
        const QList<MachineRow*> rows = view.rows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0]->nameLabel()->fullText(), QStringLiteral("Studio"));
        QCOMPARE(rows[1]->detailLabel()->fullText(),
                 QStringLiteral("127.0.12.3:%1 · Unreachable").arg(attic.port));
        QCOMPARE(rows[1]->statusDot()->reachability(), Reachability::unreachable);
        QCOMPARE(rows[2]->detailLabel()->fullText(), QStringLiteral("127.0.12.4 · Not checked"));
        // Only the selected row has a visible checkmark and the stronger background; the others
        // keep the checkmark's space.
        QCOMPARE(rows[1]->checkmark()->opacity(), 1.0);
        QCOMPARE(rows[1]->backgroundOpacity(), 0.8);
        for (MachineRow* other : {rows[0], rows[2]}) {
            QCOMPARE(other->checkmark()->opacity(), 0.0);
            QCOMPARE(other->backgroundOpacity(), 0.4);
            QCOMPARE(other->checkmark()->width(), rows[1]->checkmark()->width());
        }
        QCOMPARE(rows[0]->mainButton()->toolTip(), QStringLiteral("Send designs to Studio"));
        QCOMPARE(rows[0]->actionsButton()->toolTip(), QStringLiteral("Actions for Studio"));

        // "Check Again" shows the check live: checking, then the answer.
        menuAction(rows[0]->actionsMenu(), QStringLiteral("Check Again"))->trigger();
        QCOMPARE(rows[0]->detailLabel()->fullText(),
                 QStringLiteral("127.0.12.1:%1 · Checking…").arg(studio.port));
        QCOMPARE(rows[0]->statusDot()->reachability(), Reachability::checking);
        QTRY_COMPARE(rows[0]->detailLabel()->fullText(),
                     QStringLiteral("127.0.12.1:%1 · Reachable").arg(studio.port));
        QCOMPARE(rows[0]->statusDot()->reachability(), Reachability::reachable);

        // A rename elsewhere shows in the same row.
        SavedMachine renamed = world.saved(spare.id);
        renamed.name = QStringLiteral("Spare room");
        world.state.machineList().updateMachine(renamed);
        QCOMPARE(view.rows()[2], rows[2]);
        QCOMPARE(rows[2]->nameLabel()->fullText(), QStringLiteral("Spare room"));
    }

    void savedSectionOnlyWithMachinesAndTheNetworkStatus() {
        World world;
        auto scans = std::make_shared<std::atomic<int>>(0);
        // Nothing answers in the scanned subnet.
        world.state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 12, 9}, 9, {255, 255, 255, 252}, scans));
        MachinesView view(
            world.state, [](const Screen&) {}, [] {});
        view.resize(360, 480);
        QVERIFY(!view.savedSection()->isVisibleTo(&view));
        QCOMPARE(view.networkStatus(), QString());

        // Coming into view starts a scan; the status shows it and the button waits.
        view.show();
        QVERIFY(world.state.monitor().isDiscovering());
        QTRY_COMPARE(scans->load(), 1);
        QVERIFY(view.isShowingScanProgress());
        QCOMPARE(view.networkStatus(), QStringLiteral("Scanning your network…"));
        QVERIFY(!view.scanButton()->isEnabled());
        QTRY_VERIFY(world.state.monitor().hasScanned());
        const QString longHint = QStringLiteral(
            "No machines found. Make sure the machine is on and its wireless LAN is enabled, or "
            "add it by the IP address shown in its wireless LAN settings.");
        QCOMPARE(view.networkStatus(), longHint);
        QVERIFY(view.scanButton()->isEnabled());
        // The long hint wraps inside the panel.
        auto* hint = view.findChild<StyledLabel*>();
        for (StyledLabel* label : view.findChildren<StyledLabel*>()) {
            if (label->fullText() == longHint)
                hint = label;
        }
        QVERIFY(hint->height() > 2 * hint->fontMetrics().lineSpacing());
        QVERIFY(hint->width() <= 360);

        // With a saved machine the same outcome reads shorter.
        world.add({.host = "127.0.12.12", .port = 9});
        QVERIFY(view.savedSection()->isVisibleTo(&view));
        QCOMPARE(view.networkStatus(), QStringLiteral("No other machines found."));

        // Once a scan has finished, coming back into view starts none.
        view.hide();
        view.show();
        QVERIFY(!world.state.monitor().isDiscovering());
        // "Scan Network" does.
        QTest::mouseClick(view.scanButton(), Qt::LeftButton);
        QVERIFY(world.state.monitor().isDiscovering());
        QTRY_COMPARE(scans->load(), 2);
        QTRY_VERIFY(!world.state.monitor().isDiscovering());

        // A scan without a network shows its message with the warning, in orange.
        world.state.monitor().setDiscoveryEnvironment(Scans::noNetwork());
        QTest::mouseClick(view.scanButton(), Qt::LeftButton);
        QTRY_VERIFY(view.isShowingScanError());
        QCOMPARE(view.networkStatus(),
                 QStringLiteral("Couldn't scan the network. Make sure you're connected to Wi-Fi "
                                "or Ethernet."));
        for (StyledLabel* label : view.findChildren<StyledLabel*>()) {
            if (label->fullText() == view.networkStatus())
                QCOMPARE(label->tone(), Style::Tone::orange);
        }
    }

    void aScanRunningElsewhereIsShownNotRepeated() {
        FakeMachine slow;
        QVERIFY(slow.start(QHostAddress(QStringLiteral("127.0.12.18"))));
        slow.setDelay(300);
        World world;
        auto scans = std::make_shared<std::atomic<int>>(0);
        world.state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 12, 17}, slow.port(), {255, 255, 255, 252}, scans));
        QCoro::Task<> running = world.state.monitor().discover();
        QVERIFY(world.state.monitor().isDiscovering());

        MachinesView view(
            world.state, [](const Screen&) {}, [] {});
        view.show();
        QVERIFY(view.isShowingScanProgress());
        QCoro::waitFor(running);
        QCOMPARE(scans->load(), 1);
        QCOMPARE(view.discoveredRows().size(), 1);
        QCOMPARE(view.networkStatus(), QString()); // something was found: no status
    }

    void discoveredMachinesAreListedAndAdded() {
        FakeMachine named;
        QVERIFY(named.start(QHostAddress(QStringLiteral("127.0.12.22"))));
        named.setInfoBody(infoBody({{QStringLiteral("serial"), QStringLiteral("N-1")},
                                    {QStringLiteral("name"), QStringLiteral("Atelier")},
                                    {QStringLiteral("machine-id"), QStringLiteral("ID-22")}}));
        World world;
        world.state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 12, 21}, named.port()));
        MachinesView view(
            world.state, [](const Screen&) {}, [] {});
        view.show();
        QTRY_VERIFY(world.state.monitor().hasScanned());
        QCOMPARE(view.discoveredRows().size(), 1);
        DiscoveredRow* row = view.discoveredRows().first();
        QCOMPARE(row->title(), QStringLiteral("Atelier"));
        QCOMPARE(row->address(), QStringLiteral("127.0.12.22:") + QString::number(named.port()));

        QTest::mouseClick(row->addButton(), Qt::LeftButton);
        QCOMPARE(world.state.machineList().machines().size(), 1);
        const SavedMachine added = world.state.machineList().machines().first();
        QCOMPARE(added.name, QStringLiteral("Atelier"));
        QCOMPARE(added.fingerprint, named.fingerprint());
        QCOMPARE(world.state.machineList().selectedMachine()->id, added.id);
        QVERIFY(view.discoveredRows().isEmpty());
        QCOMPARE(view.rows().size(), 1);
        QCOMPARE(view.rows().first()->detailLabel()->fullText(),
                 QStringLiteral("127.0.12.22:%1 · Reachable").arg(named.port()));

        // Without a name, and on port 443.
        MachineInfo bare;
        bare.host = QStringLiteral("192.168.1.77");
        bare.port = 443;
        DiscoveredRow plain(bare, [] {});
        QCOMPARE(plain.title(), QStringLiteral("Brother machine"));
        QCOMPARE(plain.address(), QStringLiteral("192.168.1.77"));
    }

    void pickingARowPersistsTheSelectionAndGoesBack() {
        World world;
        const SavedMachine studio = world.add({.host = "127.0.12.25", .port = 9});
        const SavedMachine attic = world.add({.name = "Attic", .host = "127.0.12.26", .port = 9});
        PopoverView view(world.state);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.push(Screen::machines());
        QTest::mouseClick(machinesView(view)->rows()[0]->mainButton(), Qt::LeftButton,
                          Qt::NoModifier, QPoint(200, 10)); // the empty part of the row
        QVERIFY(view.path().isEmpty());
        QCOMPARE(world.state.machineList().selectedMachineID(), studio.id);
        QCOMPARE(world.store.read(SettingsStore::selectedMachineKey).toString(),
                 studio.id.toString(QUuid::WithoutBraces).toUpper());

        // The selected row again: still selected and stored, still back.
        view.push(Screen::machines());
        QCOMPARE(machinesView(view)->rows()[0]->checkmark()->opacity(), 1.0);
        QCOMPARE(machinesView(view)->rows()[1]->machine().id, attic.id);
        QTest::mouseClick(machinesView(view)->rows()[0]->mainButton(), Qt::LeftButton);
        QVERIFY(view.path().isEmpty());
        QCOMPARE(world.state.machineList().selectedMachineID(), studio.id);
        QCOMPARE(world.store.read(SettingsStore::selectedMachineKey).toString(),
                 studio.id.toString(QUuid::WithoutBraces).toUpper());
    }

    void rowActionsAreTheSameInTheMenuAndOnRightClick() {
        World world;
        const SavedMachine studio = world.add({.host = "127.0.12.29", .port = 9});
        PopoverView view(world.state);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.push(Screen::machines());
        MachineRow* row = machinesView(view)->rows().first();
        const QStringList actions{QStringLiteral("Machine Info"), QStringLiteral("Edit…"),
                                  QStringLiteral("Check Again"), QStringLiteral("--"),
                                  QStringLiteral("Remove…")};
        // The actions button opens the menu (made on that first press).
        QTest::mousePress(row->actionsButton(), Qt::LeftButton);
        QMenu* menu = row->actionsMenu();
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menuTexts(menu), actions);
        menu->hide();

        // A right click anywhere on the row opens the very same menu.
        // (QTest delivers mouse events straight to widgets, so the context-menu event that the
        // window would make of a right press is sent as the window would send it.)
        QSignalSpy shown(menu, &QMenu::aboutToShow);
        const QPoint inside = row->mainButton()->rect().center();
        QTest::mousePress(row->mainButton(), Qt::RightButton, Qt::NoModifier, inside);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, inside,
                                     row->mainButton()->mapToGlobal(inside));
        QApplication::sendEvent(row->mainButton(), &rightClick);
        QTest::mouseRelease(row->mainButton(), Qt::RightButton, Qt::NoModifier, inside);
        QTRY_COMPARE(shown.count(), 1);
        QCOMPARE(row->actionsMenu(), menu);
        menu->hide();

        menuAction(row->actionsMenu(), QStringLiteral("Machine Info"))->trigger();
        QCOMPARE(view.path().last(), Screen::machineInfo(studio));
        view.pop();
        menuAction(machinesView(view)->rows().first()->actionsMenu(), QStringLiteral("Edit…"))
            ->trigger();
        QCOMPARE(view.path().last(), Screen::editMachine(studio));
    }

    void removingAsksFirstInsideThePanel() {
        World world;
        const SavedMachine studio = world.add({.host = "127.0.12.33", .port = 9});
        const SavedMachine attic = world.add({.name = "Attic", .host = "127.0.12.34", .port = 9});
        PopoverView view(world.state);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.push(Screen::machines());
        MachinesView* list = machinesView(view);
        ConfirmationSheet* sheet = list->confirmation();
        const auto askToRemove = [&](int index) {
            menuAction(list->rows()[index]->actionsMenu(), QStringLiteral("Remove…"))->trigger();
        };

        askToRemove(1);
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->window(), &view); // inside the panel, not a window of its own
        QCOMPARE(sheet->geometry(), list->rect());
        QCOMPARE(sheet->title(), QStringLiteral("Remove this machine?"));
        QCOMPARE(sheet->confirmText(), QStringLiteral("Remove Attic"));
        QCOMPARE(sheet->cancelButton()->text(), QStringLiteral("Cancel"));
        QCOMPARE(list->machineToRemove(), attic);
        QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
        QVERIFY(!sheet->isVisible());
        QCOMPARE(list->machineToRemove(), std::nullopt);
        QCOMPARE(world.state.machineList().machines().size(), 2);

        // Escape dismisses the sheet, removes nothing and stays on the list.
        askToRemove(1);
        QTest::keyClick(&view, Qt::Key_Escape);
        QTRY_VERIFY(!sheet->isVisible());
        QCOMPARE(world.state.machineList().machines().size(), 2);
        QCOMPARE(view.path(), QList<Screen>{Screen::machines()});
        QCOMPARE(list->machineToRemove(), std::nullopt);
        QVERIFY(list->header()->isEnabled()); // and Escape goes back again
        // So does a click beside the card.
        askToRemove(1);
        QTest::mouseClick(sheet, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QVERIFY(!sheet->isVisible());
        QCOMPARE(world.state.machineList().machines().size(), 2);

        // Removing the selected machine: its row goes, the other one becomes the selected one.
        QCOMPARE(world.state.machineList().selectedMachineID(), attic.id);
        askToRemove(1);
        QTest::mouseClick(sheet->confirmButton(), Qt::LeftButton);
        QCOMPARE(world.state.machineList().machines(), QList{studio});
        QCOMPARE(storedMachines(world.store), QList{studio});
        QCOMPARE(list->rows().size(), 1);
        QCOMPARE(list->rows()[0]->checkmark()->opacity(), 1.0);
        QCOMPARE(list->machineToRemove(), std::nullopt);

        QTest::keyClick(&view, Qt::Key_Escape);
        QTRY_VERIFY(view.path().isEmpty());
    }

    // --- machine editor ----------------------------------------------------------------------

    void editorStartsFromTheMachineOrEmpty() {
        World world;
        MachineEditView adding(world.state, std::nullopt, [] {});
        QCOMPARE(adding.header()->title(), QStringLiteral("Add Machine"));
        QCOMPARE(adding.saveButton()->text(), QStringLiteral("Add Machine"));
        QCOMPARE(adding.hostField()->text(), QString());
        QCOMPARE(adding.portField()->text(), QStringLiteral("443"));
        QCOMPARE(adding.nameField()->placeholderText(), QStringLiteral("My machine"));
        QCOMPARE(adding.modelField()->placeholderText(), QStringLiteral("Optional"));
        QCOMPARE(adding.hostField()->placeholderText(), QStringLiteral("e.g. 192.168.1.50"));
        QCOMPARE(adding.connectionText(), QStringLiteral("Not tested yet"));
        QVERIFY(!adding.testButton()->isEnabled());
        QVERIFY(!adding.saveButton()->isEnabled());

        // Opened from the panel, the editor takes what is typed in its address field at once.
        PopoverView panel(world.state);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.push(Screen::addMachine());
        auto* opened = qobject_cast<MachineEditView*>(panel.currentScreen());
        QVERIFY(opened);
        QCOMPARE(panel.focusWidget(), opened->hostField());

        const SavedMachine studio = savedMachine(
            {.name = "Studio", .host = "192.168.1.50", .port = 8443, .model = "PR680W"});
        MachineEditView editing(world.state, studio, [] {});
        QCOMPARE(editing.header()->title(), QStringLiteral("Edit Machine"));
        QCOMPARE(editing.saveButton()->text(), QStringLiteral("Save"));
        QCOMPARE(editing.nameField()->text(), QStringLiteral("Studio"));
        QCOMPARE(editing.hostField()->text(), QStringLiteral("192.168.1.50"));
        QCOMPARE(editing.portField()->text(), QStringLiteral("8443"));
        QCOMPARE(editing.modelField()->text(), QStringLiteral("PR680W"));
        QVERIFY(editing.testButton()->isEnabled());
        QVERIFY(editing.saveButton()->isEnabled());
    }

    void portAndAddressDecideTheButtons_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("enabled");
        const auto row = [](const char* name, const char* host, const char* port, bool enabled) {
            QTest::newRow(name) << QString(host) << QString(port) << enabled;
        };
        row("plain", "192.168.1.50", "443", true);
        row("port with spaces and tabs", "192.168.1.50", " \t8443 ", true);
        row("signed port", "192.168.1.50", "+8443", true);
        row("port 0", "192.168.1.50", "0", false);
        row("port 65536", "192.168.1.50", "65536", false);
        row("port 80a", "192.168.1.50", "80a", false);
        row("no port", "192.168.1.50", "", false);
        row("negative port", "192.168.1.50", "-80", false);
        row("bad host", "192.168.1.256", "443", false);
        row("ipv6", "fe80::1", "443", false);
        row("url", "https://sewing-room.lan/", "443", true);
    }

    void portAndAddressDecideTheButtons() {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(bool, enabled);
        World world;
        MachineEditView editor(world.state, std::nullopt, [] {});
        QTest::keyClicks(editor.hostField(), host);
        replaceText(editor.portField(), port);
        QCOMPARE(editor.testButton()->isEnabled(), enabled);
        QCOMPARE(editor.saveButton()->isEnabled(), enabled);
        QCOMPARE(editor.canSave(), enabled);
        if (port.trimmed() == QStringLiteral("8443"))
            QCOMPARE(editor.parsedPort(), 8443);
    }

    void testingAConnectionShowsEachState() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.12.41"))));
        machine.setDelay(200);
        World world;
        MachineEditView editor(world.state, std::nullopt, [] {});
        QSignalSpy states(&editor, &MachineEditView::connectionStateChanged);
        QTest::keyClicks(editor.hostField(), machine.host());
        replaceText(editor.portField(), QString::number(machine.port()));

        QTest::mouseClick(editor.testButton(), Qt::LeftButton);
        QCOMPARE(editor.connectionState(), ConnectionState::checking());
        QCOMPARE(editor.connectionText(), QStringLiteral("Connecting…"));
        QVERIFY(!editor.testButton()->isEnabled());
        QVERIFY(!editor.saveButton()->isEnabled());
        QTRY_COMPARE(editor.connectionState().kind, ConnectionState::Kind::ok);
        QCOMPARE(editor.connectionText(), QStringLiteral("Connected to Fake Machine"));
        QCOMPARE(editor.connectionDetails(), QStringLiteral("Serial A1B2C3D4 · 260 × 160 mm"));
        QCOMPARE(editor.nameField()->placeholderText(), QStringLiteral("Fake Machine"));
        QCOMPARE(editor.connectionState().info->certificateFingerprint, machine.fingerprint());
        QVERIFY(editor.saveButton()->isEnabled());

        // Any edit of the address or port forgets the test.
        QTest::keyClick(editor.hostField(), Qt::Key_Backspace);
        QCOMPARE(editor.connectionState(), ConnectionState::untested());
        QCOMPARE(editor.connectionText(), QStringLiteral("Not tested yet"));
        QCOMPARE(editor.nameField()->placeholderText(), QStringLiteral("My machine"));
        QTest::keyClicks(editor.hostField(), machine.host().right(1));

        // Return in the address field tests; a reply without name or serial.
        machine.setInfoBody(infoBody({{QStringLiteral("machine-id"), QStringLiteral("X")}}));
        QTest::keyClick(editor.hostField(), Qt::Key_Return);
        QCOMPARE(editor.connectionState(), ConnectionState::checking());
        QTRY_COMPARE(editor.connectionState().kind, ConnectionState::Kind::ok);
        QCOMPARE(editor.connectionText(), QStringLiteral("Connected to the machine"));
        QCOMPARE(editor.connectionDetails(), QString());

        // Nobody at the address.
        replaceText(editor.portField(), QString::number(closedPort(machine.host())));
        QTest::mouseClick(editor.testButton(), Qt::LeftButton);
        QTRY_COMPARE(editor.connectionState(), ConnectionState::failed());
        QCOMPARE(editor.connectionText(),
                 QStringLiteral("No machine answered at this address. Check the IP, and that the "
                                "machine is on with wireless LAN enabled."));
        QVERIFY(editor.saveButton()->isEnabled()); // saving is still allowed
        QVERIFY(states.count() >= 6);
    }

    void aTestOutlivingItsScreenOrAddressIsDropped() {
        FakeMachine slow;
        QVERIFY(slow.start(QHostAddress(QStringLiteral("127.0.12.45"))));
        slow.setDelay(250);
        World world;
        PopoverView view(world.state);
        view.push(Screen::addMachine());
        auto* editor = qobject_cast<MachineEditView*>(view.currentScreen());
        QTest::keyClicks(editor->hostField(), slow.host());
        replaceText(editor->portField(), QString::number(slow.port()));
        QTest::mouseClick(editor->testButton(), Qt::LeftButton);
        view.pop();
        view.push(Screen::addMachine());
        QPointer<MachineEditView> fresh = qobject_cast<MachineEditView*>(view.currentScreen());
        QTRY_COMPARE(slow.requests().size(), 1);
        QTest::qWait(350); // the answer has come back by now
        QCOMPARE(fresh->connectionState(), ConnectionState::untested());

        // A test whose address was changed while it ran says nothing about the new address.
        QTest::keyClicks(fresh->hostField(), slow.host());
        replaceText(fresh->portField(), QString::number(slow.port()));
        QTest::mouseClick(fresh->testButton(), Qt::LeftButton);
        replaceText(fresh->hostField(), QStringLiteral("127.0.12.46"));
        QTRY_COMPARE(slow.requests().size(), 2);
        QTest::qWait(350);
        QCOMPARE(fresh->connectionState(), ConnectionState::untested());
    }

    void savingBuildsTheRecordByItsRules_data() {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("host"); // "fake" for the fake machine's address
        QTest::addColumn<QString>("port"); // "fake" for its port
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("test");
        QTest::addColumn<QString>("savedHost"); // "fake" as above
        QTest::addColumn<QString>("savedPort");
        QTest::addColumn<QString>("savedName");
        QTest::addColumn<QString>("savedModel"); // null for absent
        QTest::addColumn<QString>("savedPins");  // "none", "kept", "reported" or "invalid"
        const QString absent;
        const auto row = [](const char* title, bool editing, QString host, QString port,
                            QString name, QString model, bool test, QString savedHost,
                            QString savedPort, QString savedName, QString savedModel,
                            QString savedPins) {
            QTest::newRow(title) << editing << host << port << name << model << test << savedHost
                                 << savedPort << savedName << savedModel << savedPins;
        };
        row("add, nothing but the address", false, "127.0.12.90", "443", "", "", false,
            "127.0.12.90", "443", "127.0.12.90", absent, "none");
        row("add after a test, name left empty", false, "fake", "fake", "", "", true, "fake",
            "fake", "Fake Machine", absent, "reported");
        row("add, name and model with spaces", false, "127.0.12.90", "443", " \tStudio \t",
            "  PR680W ", false, "127.0.12.90", "443", "Studio", "  PR680W ", "none");
        row("add, model of only spaces", false, "127.0.12.90", "443", "Studio", " \t ", false,
            "127.0.12.90", "443", "Studio", absent, "none");
        row("add, a URL typed", false, "HTTP://x", "443", "", "", false, absent, absent, absent,
            absent, "invalid");
        row("edit the name only", true, "fake", "fake", "Attic", "", false, "fake", "fake", "Attic",
            absent, "kept");
        row("edit the port without a test", true, "fake", "8443", "Attic", "", false, "fake",
            "8443", "Attic", absent, "none");
        row("edit after a test", true, "fake", "fake", "", "", true, "fake", "fake", "Fake Machine",
            absent, "reported");
    }

    void savingBuildsTheRecordByItsRules() {
        QFETCH(bool, editing);
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, name);
        QFETCH(QString, model);
        QFETCH(bool, test);
        QFETCH(QString, savedHost);
        QFETCH(QString, savedPort);
        QFETCH(QString, savedName);
        QFETCH(QString, savedModel);
        QFETCH(QString, savedPins);
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.12.49"))));
        World world;
        for (QString* text : {&host, &savedHost}) {
            if (*text == QLatin1String("fake"))
                *text = machine.host();
        }
        for (QString* text : {&port, &savedPort}) {
            if (*text == QLatin1String("fake"))
                *text = QString::number(machine.port());
        }
        std::optional<SavedMachine> original;
        if (editing) {
            original = world.addAt(machine, {.fingerprint = "OLD-PIN", .machineID = "OLD-ID"});
        }
        int finished = 0;
        MachineEditView editor(world.state, original, [&] { ++finished; });
        replaceText(editor.hostField(), host);
        replaceText(editor.portField(), port);
        replaceText(editor.nameField(), name);
        replaceText(editor.modelField(), model);
        if (test) {
            QTest::mouseClick(editor.testButton(), Qt::LeftButton);
            QTRY_COMPARE(editor.connectionState().kind, ConnectionState::Kind::ok);
        }
        if (savedPins == QStringLiteral("invalid")) {
            QVERIFY(!editor.saveButton()->isEnabled());
            editor.save(); // does nothing either
            QVERIFY(world.state.machineList().machines().isEmpty());
            QCOMPARE(finished, 0);
            return;
        }
        QTest::mouseClick(editor.saveButton(), Qt::LeftButton);
        QCOMPARE(finished, 1);
        QCOMPARE(world.state.machineList().machines().size(), 1);
        const SavedMachine record = world.state.machineList().machines().first();
        QCOMPARE(storedMachines(world.store), QList{record});
        if (editing)
            QCOMPARE(record.id, original->id);
        else
            QCOMPARE(world.state.machineList().selectedMachineID(), record.id);
        QCOMPARE(record.name, savedName);
        QCOMPARE(record.host, savedHost);
        QCOMPARE(QString::number(record.port), savedPort);
        QCOMPARE(record.model, savedModel.isNull() ? std::nullopt : std::optional(savedModel));
        if (savedPins == QStringLiteral("none")) {
            QCOMPARE(record.fingerprint, std::nullopt);
            QCOMPARE(record.machineID, std::nullopt);
        } else if (savedPins == QStringLiteral("kept")) {
            QCOMPARE(record.fingerprint, QStringLiteral("OLD-PIN"));
            QCOMPARE(record.machineID, QStringLiteral("OLD-ID"));
        } else {
            QCOMPARE(record.fingerprint, machine.fingerprint());
            QCOMPARE(record.machineID, QStringLiteral("FAKE-0001"));
        }
        // A check of the saved record has started, not awaited.
        QCOMPARE(world.state.monitor().reachabilityOf(record.id), Reachability::checking);
        QTRY_VERIFY(world.state.monitor().reachabilityOf(record.id) != Reachability::checking);
    }

    void leadingZerosAreStoredAsTypedAndReachedInDecimal() {
        // 010 read as octal would be 8: a test of the typed address must reach .10.
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.12.10"))));
        World world;
        MachineEditView editor(world.state, std::nullopt, [] {});
        QTest::keyClicks(editor.hostField(), QStringLiteral("127.000.012.010"));
        replaceText(editor.portField(), QString::number(machine.port()));
        QTest::keyClick(editor.hostField(), Qt::Key_Return);
        QTRY_COMPARE(editor.connectionState().kind, ConnectionState::Kind::ok);
        QCOMPARE(editor.connectionState().info->certificateFingerprint, machine.fingerprint());
        QTest::mouseClick(editor.saveButton(), Qt::LeftButton);
        const SavedMachine record = world.state.machineList().machines().value(0);
        QCOMPARE(record.host, QStringLiteral("127.000.012.010"));
        QCOMPARE(record.fingerprint, machine.fingerprint());
        QTRY_COMPARE(world.state.monitor().reachabilityOf(record.id), Reachability::reachable);
        QVERIFY(!world.state.monitor().certificateChanged(world.saved(record.id)));
    }

    // --- machine info screen -----------------------------------------------------------------

    void infoShowsWhatTheMachineReported() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.12.53"))));
        machine.setDelay(100);
        World world;
        const SavedMachine studio = world.addAt(machine, {.model = "PR680W"});

        MachineInfoView view(
            world.state, studio, [] {}, [] {});
        QCOMPARE(view.header()->title(), QStringLiteral("Studio"));
        QCOMPARE(view.value(QStringLiteral("Status")), QStringLiteral("Not checked"));
        QVERIFY(!view.reportSection()->isVisibleTo(&view));
        QVERIFY(!view.notAnsweringSection()->isVisibleTo(&view));
        QVERIFY(!view.certificateSection()->isVisibleTo(&view));

        // Coming into view checks at once.
        view.show();
        QCOMPARE(view.value(QStringLiteral("Status")), QStringLiteral("Checking…"));
        QVERIFY(view.isLoading());
        QVERIFY(view.checkButton()->isBusy());
        QVERIFY(!view.checkButton()->isEnabled());
        QTRY_VERIFY(!view.isLoading());
        QVERIFY(view.checkButton()->isEnabled());
        QCOMPARE(view.value(QStringLiteral("Status")), QStringLiteral("Reachable"));
        QCOMPARE(view.statusDot()->reachability(), Reachability::reachable);
        QCOMPARE(view.value(QStringLiteral("Address")),
                 QStringLiteral("127.0.12.53:%1").arg(machine.port()));
        QCOMPARE(view.value(QStringLiteral("Model")), QStringLiteral("PR680W"));
        QCOMPARE(view.reportSection()->heading(), QStringLiteral("Reported by the Machine"));
        QCOMPARE(view.reportSection()->visibleLabels(),
                 (QStringList{QStringLiteral("Name"), QStringLiteral("Serial"),
                              QStringLiteral("Firmware"), QStringLiteral("Embroidery area"),
                              QStringLiteral("Needles"), QStringLiteral("Largest design")}));
        QCOMPARE(view.value(QStringLiteral("Name")), QStringLiteral("Fake Machine"));
        QCOMPARE(view.value(QStringLiteral("Serial")), QStringLiteral("A1B2C3D4"));
        QCOMPARE(view.value(QStringLiteral("Firmware")), QStringLiteral("1.20"));
        QCOMPARE(view.value(QStringLiteral("Embroidery area")), QStringLiteral("260 × 160 mm"));
        QCOMPARE(view.value(QStringLiteral("Needles")), QStringLiteral("1"));
        QCOMPARE(view.value(QStringLiteral("Largest design")), QStringLiteral("3 MB"));
        // Pinned on this first answer; no warning.
        QCOMPARE(view.certificateSection()->heading(), QStringLiteral("Certificate (SHA-256)"));
        QCOMPARE(view.fingerprintText(), machine.fingerprint());
        QVERIFY(!view.certificateWarning()->isVisibleTo(&view));

        // A reply lacking features shows only what is there; the check button asks again.
        machine.setInfoBody(infoBody({{QStringLiteral("serial"), QStringLiteral("S-9")}}));
        QTest::mouseClick(view.checkButton(), Qt::LeftButton);
        QVERIFY(view.isLoading());
        QTRY_VERIFY(!view.isLoading());
        QCOMPARE(view.reportSection()->visibleLabels(), QStringList{QStringLiteral("Serial")});
        QCOMPARE(view.value(QStringLiteral("Serial")), QStringLiteral("S-9"));
        QCOMPARE(view.value(QStringLiteral("Name")), QString());

        // Edits made elsewhere show at once; once removed, the screen keeps its copy.
        SavedMachine renamed = world.saved(studio.id);
        renamed.name = QStringLiteral("Atelier");
        renamed.model.reset();
        world.state.machineList().updateMachine(renamed);
        QCOMPARE(view.header()->title(), QStringLiteral("Atelier"));
        QCOMPARE(view.value(QStringLiteral("Model")), QString());
        world.state.machineList().removeMachine(renamed);
        QCOMPARE(view.header()->title(), QStringLiteral("Studio"));
        QCOMPARE(view.value(QStringLiteral("Model")), QStringLiteral("PR680W"));
        QCOMPARE(view.current(), studio);
    }

    void infoOfAMachineThatDoesNotAnswer() {
        World world;
        const QString host = QStringLiteral("127.0.12.57");
        const SavedMachine studio =
            world.add({.host = host, .port = closedPort(host), .fingerprint = "AB:CD"});
        MachineInfoView view(
            world.state, studio, [] {}, [] {});
        view.show();
        QTRY_COMPARE(view.value(QStringLiteral("Status")), QStringLiteral("Unreachable"));
        QVERIFY(!view.reportSection()->isVisibleTo(&view));
        QVERIFY(view.notAnsweringSection()->isVisibleTo(&view));
        QCOMPARE(view.notAnsweringText()->text(),
                 QStringLiteral("The machine isn't answering. Make sure it's on, with wireless "
                                "LAN enabled, on the same network as this computer."));
        QVERIFY(view.certificateSection()->isVisibleTo(&view));
        QCOMPARE(view.fingerprintText(), QStringLiteral("AB:CD"));
        QVERIFY(!view.certificateWarning()->isVisibleTo(&view));
    }

    void aChangedCertificateCanBeTrusted() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.12.61"))));
        const QString pinned = machine.fingerprint();
        machine.rotateCertificate();
        machine.closeConnections();
        World world;
        const SavedMachine studio = world.addAt(machine, {.fingerprint = pinned});
        MachineInfoView view(
            world.state, studio, [] {}, [] {});
        view.resize(360, 520);
        view.show();
        QTRY_VERIFY(view.certificateWarning()->isVisibleTo(&view));
        QCOMPARE(view.fingerprintText(), pinned); // the saved one, above the warning
        QCOMPARE(view.warningText()->text(),
                 QStringLiteral("The machine is now presenting a different certificate. That's "
                                "expected after a firmware update or reset; otherwise another "
                                "device may be using this address."));
        QCOMPARE(view.trustButton()->text(), QStringLiteral("Trust New Certificate"));

        QTRY_VERIFY(!view.trustButton()->rect().isEmpty()); // laid out, so the click lands
        QTest::mouseClick(view.trustButton(), Qt::LeftButton);
        QCOMPARE(view.fingerprintText(), machine.fingerprint());
        QVERIFY(!view.certificateWarning()->isVisibleTo(&view));
        QCOMPARE(storedMachines(world.store).value(0).fingerprint, machine.fingerprint());
    }

    void leavingTheScreenCancelsItsCheck() {
        FakeMachine silent;
        QVERIFY(silent.start(QHostAddress(QStringLiteral("127.0.12.65"))));
        silent.setNeverAnswer(true);
        World world;
        const SavedMachine studio = world.addAt(silent);
        PopoverView view(world.state);
        view.push(Screen::machines());
        view.show();
        view.push(Screen::machineInfo(studio));
        QCOMPARE(world.state.monitor().reachabilityOf(studio.id), Reachability::checking);
        view.pop();
        // Cancelled counts as no answer, long before the check's own time-out.
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(world.state.monitor().reachabilityOf(studio.id),
                                  Reachability::unreachable, 2000);
        QVERIFY(clock.elapsed() < 2000);

        // A check from the check button is not tied to the screen.
        view.push(Screen::machineInfo(studio));
        auto* info = qobject_cast<MachineInfoView*>(view.currentScreen());
        QTRY_COMPARE(world.state.monitor().reachabilityOf(studio.id), Reachability::checking);
        view.currentScreen()->hide(); // the display check goes
        QTRY_COMPARE(world.state.monitor().reachabilityOf(studio.id), Reachability::unreachable);
        info->refresh();
        QCOMPARE(world.state.monitor().reachabilityOf(studio.id), Reachability::checking);
        view.pop();
        QTest::qWait(300);
        QCOMPARE(world.state.monitor().reachabilityOf(studio.id), Reachability::checking);
        // The machine hangs up: that check ends too.
        silent.closeConnections();
        QTRY_COMPARE(world.state.monitor().reachabilityOf(studio.id), Reachability::unreachable);
    }

    void everyTextOfTheInfoScreenCanBeSelected() {
        World world;
        const SavedMachine studio = world.add(
            {.host = "127.0.12.69",
             .port = closedPort("127.0.12.69"),
             .model = "PR680W",
             .fingerprint = "12:34:56:78:9A:BC:DE:F0:12:34:56:78:9A:BC:DE:F0:12:34:56:78:9A:BC:DE:"
                            "F0:12:34:56:78:9A:BC:DE:F0"});
        PopoverView popover(world.state);
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        popover.push(Screen::machineInfo(studio));
        auto* view = qobject_cast<MachineInfoView*>(popover.currentScreen());
        QTRY_COMPARE(view->value(QStringLiteral("Status")), QStringLiteral("Unreachable"));
        int selectable = 0;
        for (QLabel* label : view->findChildren<QLabel*>()) {
            // The form's texts; the header is the panel's own.
            if (!label->isVisibleTo(view) || label->text().isEmpty() ||
                view->header()->isAncestorOf(label))
                continue;
            ++selectable;
            QVERIFY2(label->textInteractionFlags() & Qt::TextSelectableByMouse,
                     qPrintable(label->text()));
        }
        // Three labels with their values, the not-answering text and the heading.
        QCOMPARE(selectable, 8);

        // Dragging over the fingerprint and copying gives it whole, though it wraps.
        QTextEdit* fingerprint = view->fingerprintView();
        QVERIFY(fingerprint->textInteractionFlags() & Qt::TextSelectableByMouse);
        QVERIFY(fingerprint->width() < 360);
        QVERIFY(fingerprint->height() >= 2 * fingerprint->fontMetrics().lineSpacing());
        // Every line but the last ends at a colon, never inside a pair of digits.
        const QTextBlock block = fingerprint->document()->firstBlock();
        QVERIFY(block.layout()->lineCount() >= 2);
        for (int i = 0; i + 1 < block.layout()->lineCount(); ++i) {
            const QTextLine line = block.layout()->lineAt(i);
            QVERIFY2(block.text().mid(line.textStart(), line.textLength()).endsWith(u':'),
                     qPrintable(block.text().mid(line.textStart(), line.textLength())));
        }
        QWidget* surface = fingerprint->viewport();
        const QPoint end(surface->width() - 1, surface->height() - 2);
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(0, 2));
        QTest::mouseMove(surface, end);
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, end);
        QCOMPARE(fingerprint->textCursor().selectedText(), *studio.fingerprint);
        QApplication::clipboard()->clear();
        QTest::keyClick(fingerprint, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), *studio.fingerprint);
        // The other texts select as labels do.
        QCOMPARE(view->notAnsweringText()->textInteractionFlags() & Qt::TextSelectableByMouse,
                 Qt::TextSelectableByMouse);
    }

    // --- navigation --------------------------------------------------------------------------

    void editingFromTheInfoScreenStacksAndComesBack() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.12.73"))));
        World world;
        const SavedMachine studio = world.addAt(machine);
        PopoverView view(world.state);
        view.show();
        view.push(Screen::machines());
        menuAction(machinesView(view)->rows().first()->actionsMenu(),
                   QStringLiteral("Machine Info"))
            ->trigger();
        auto* info = qobject_cast<MachineInfoView*>(view.currentScreen());
        QVERIFY(info);
        QTRY_VERIFY(!info->isLoading()); // the check pinned the certificate meanwhile

        QTest::mouseClick(info->editButton(), Qt::LeftButton);
        QCOMPARE(view.path().size(), 3);
        auto* editor = qobject_cast<MachineEditView*>(view.currentScreen());
        QVERIFY(editor);
        QCOMPARE(editor->nameField()->text(), QStringLiteral("Studio"));
        replaceText(editor->nameField(), QStringLiteral("Atelier"));
        QTest::keyClick(editor->nameField(), Qt::Key_Return); // the default button
        QCOMPARE(view.currentIdentity(), Screen::machineInfo(studio).identity());
        info = qobject_cast<MachineInfoView*>(view.currentScreen());
        QCOMPARE(info->header()->title(), QStringLiteral("Atelier"));
        // The pin the check made is kept by the save.
        QCOMPARE(world.saved(studio.id).fingerprint, machine.fingerprint());

        QTest::mouseClick(info->header()->backButton(), Qt::LeftButton);
        QCOMPARE(view.path(), QList<Screen>{Screen::machines()});
        QTest::mouseClick(machinesView(view)->header()->backButton(), Qt::LeftButton);
        QVERIFY(view.path().isEmpty());

        // "Add by Address…" opens the add form; its back button saves nothing.
        view.push(Screen::machines());
        QTest::mouseClick(machinesView(view)->addByAddressButton(), Qt::LeftButton);
        QCOMPARE(view.path().last(), Screen::addMachine());
        editor = qobject_cast<MachineEditView*>(view.currentScreen());
        QTest::keyClicks(editor->hostField(), QStringLiteral("192.168.1.99"));
        QTest::mouseClick(editor->header()->backButton(), Qt::LeftButton);
        QCOMPARE(view.path(), QList<Screen>{Screen::machines()});
        QCOMPARE(world.state.machineList().machines().size(), 1);
    }

    // --- gallery -----------------------------------------------------------------------------

    void gallery() {
        FakeMachine found;
        QVERIFY(found.start(QHostAddress(QStringLiteral("127.0.12.78"))));
        found.setInfoBody(infoBody({{QStringLiteral("serial"), QStringLiteral("F-1")},
                                    {QStringLiteral("name"), QStringLiteral("Innov-is M370")}}));
        World world;
        PopoverView view(world.state);
        view.show();
        const auto shoot = [&view](const QString& name) {
            QTest::mouseMove(&view, QPoint(180, 430)); // no hover left over from a click
            QVERIFY(Gallery::render(view, name).saved);
        };

        world.state.monitor().setDiscoveryEnvironment(Scans::noNetwork());
        view.push(Screen::machines());
        QTRY_VERIFY(world.state.monitor().hasScanned());
        world.state.monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 12, 1}, 9));
        QCoro::waitFor(world.state.monitor().discover());
        shoot(QStringLiteral("machines-empty"));
        world.state.monitor().setDiscoveryEnvironment(Scans::noNetwork());
        QCoro::waitFor(world.state.monitor().discover());
        shoot(QStringLiteral("machines-scan-error"));

        const QString closedHost = QStringLiteral("127.0.12.79");
        const SavedMachine studio = world.addAt(found, {.name = "Studio PR680W"});
        const SavedMachine attic =
            world.add({.name = "Attic", .host = closedHost, .port = closedPort(closedHost)});
        world.add({.name = "Sewing room (upstairs, by the window)",
                   .host = "192.168.001.010",
                   .port = 8443});
        world.state.machineList().selectMachine(studio);
        QCoro::waitFor(world.state.monitor().check(studio));
        QCoro::waitFor(world.state.monitor().check(attic));
        FakeMachine other;
        QVERIFY(other.start(QHostAddress(QStringLiteral("127.0.12.82"))));
        other.setDelay(400);
        world.state.monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 12, 81}, other.port()));
        QCoro::Task<> scan = world.state.monitor().discover();
        shoot(QStringLiteral("machines-scanning"));
        QCoro::waitFor(scan);
        shoot(QStringLiteral("machines-saved-and-discovered"));
        menuAction(machinesView(view)->rows()[1]->actionsMenu(), QStringLiteral("Remove…"))
            ->trigger();
        shoot(QStringLiteral("machines-confirm-remove"));
        machinesView(view)->confirmation()->dismiss();

        view.push(Screen::addMachine());
        shoot(QStringLiteral("editor-add"));
        auto* editor = qobject_cast<MachineEditView*>(view.currentScreen());
        QTest::keyClicks(editor->hostField(), found.host());
        replaceText(editor->portField(), QString::number(found.port()));
        found.setDelay(300);
        editor->testConnection();
        shoot(QStringLiteral("editor-connecting"));
        QTRY_COMPARE(editor->connectionState().kind, ConnectionState::Kind::ok);
        found.setDelay(0);
        shoot(QStringLiteral("editor-connected"));
        replaceText(editor->portField(), QString::number(closedPort(found.host())));
        shoot(QStringLiteral("editor-untested"));
        editor->testConnection();
        QTRY_COMPARE(editor->connectionState(), ConnectionState::failed());
        shoot(QStringLiteral("editor-failed"));
        view.pop();

        view.push(Screen::editMachine(world.saved(studio.id)));
        shoot(QStringLiteral("editor-edit"));
        view.pop();

        view.push(Screen::machineInfo(world.saved(attic.id)));
        QTRY_COMPARE(world.state.monitor().reachabilityOf(attic.id), Reachability::unreachable);
        shoot(QStringLiteral("info-unreachable"));
        view.pop();

        found.setInfoBody(FakeMachine::defaultInfoBody());
        view.push(Screen::machineInfo(world.saved(studio.id)));
        QTRY_VERIFY(!qobject_cast<MachineInfoView*>(view.currentScreen())->isLoading());
        shoot(QStringLiteral("info-full-report"));
        view.pop();

        found.rotateCertificate();
        found.closeConnections();
        view.push(Screen::machineInfo(world.saved(studio.id)));
        auto* info = qobject_cast<MachineInfoView*>(view.currentScreen());
        QTRY_VERIFY(info->certificateWarning()->isVisibleTo(info));
        shoot(QStringLiteral("info-changed-certificate"));
    }
};

QTEST_MAIN(TestMachineScreens)
#include "test_machine_screens.moc"
