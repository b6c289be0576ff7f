// The panel for people who use the keyboard, a screen reader, large text or another language:
// the Tab chain of every screen in reading order with a name and a role at each stop, focus that
// shows, Space and Return that press, menus that open from the keyboard, and texts that still fit
// in every language the program speaks, also when the application font is half as large again.

#include "Designs/SizeWarning.h"
#include "Networking/BrotherAPIError.h"
#include "State/AppState.h"
#include "Support/Translations.h"
#include "Views/DropZone.h"
#include "Views/MachineBar.h"
#include "Views/MachineEditView.h"
#include "Views/MachineInfoView.h"
#include "Views/MachineRow.h"
#include "Views/MachinesView.h"
#include "Views/MainScreen.h"
#include "Views/PopoverView.h"
#include "Views/RecentSendCard.h"
#include "Views/RecentSendsView.h"
#include "Views/Widgets/ConfirmationSheet.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/ScreenHeader.h"
#include "Views/Widgets/StyledLabel.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/Files.h"
#include "support/Gallery.h"
#include "support/Machines.h"
#include "support/Scans.h"
#include "support/StitchWriters.h"
#include "support/TemporaryStore.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

namespace {

// One place the Tab key stops, as assistive technology reads it.
struct Stop {
    QPointer<QWidget> widget;
    QString name;
    QAccessible::Role role = QAccessible::NoRole;
    bool focused = false;
    // Where it lies in the view, as laid out (scrolled lists counted from their top).
    QRect box;
    // Whether it showed within the view when it had the focus.
    bool shown = false;
};

// Where `widget` lies in `view` with every scroll area scrolled to its top.
QRect layoutBox(const QWidget* widget, const QWidget* view) {
    QPoint offset;
    const QWidget* current = widget;
    while (current && current != view) {
        const QWidget* parent = current->parentWidget();
        const auto* area =
            parent ? qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()) : nullptr;
        if (area && parent == area->viewport()) {
            // The scrolled content: place it at the viewport's origin.
            offset += parent->mapTo(view, QPoint(0, 0));
            return QRect(offset + widget->mapTo(current, QPoint(0, 0)), widget->size());
        }
        current = parent;
    }
    return QRect(widget->mapTo(view, QPoint(0, 0)), widget->size());
}

QWidget* focusTarget(QWidget& view) {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : &view;
}

// Presses Tab until the focus comes back to the first stop: from nothing focused, or from
// where the focus is (a sheet that took it).
QList<Stop> tabChain(QWidget& view, bool fromFocus = false) {
    if (QWidget* focus = QApplication::focusWidget(); focus && !fromFocus)
        focus->clearFocus();
    QList<Stop> stops;
    for (int presses = 0; presses < 200; ++presses) {
        QTest::keyClick(focusTarget(view), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (!now || (!stops.isEmpty() && now == stops.first().widget))
            break;
        if (std::any_of(stops.begin(), stops.end(),
                        [now](const Stop& s) { return s.widget == now; }))
            break; // a loop that misses the first stop: reported as too few stops
        Stop stop;
        stop.widget = now;
        if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(now)) {
            stop.name = face->text(QAccessible::Name);
            stop.role = face->role();
            stop.focused = face->state().focused;
        }
        stop.box = layoutBox(now, &view);
        stop.shown = !now->visibleRegion().isEmpty();
        stops.append(stop);
    }
    return stops;
}

QStringList names(const QList<Stop>& stops) {
    QStringList result;
    for (const Stop& stop : stops)
        result.append(stop.name);
    return result;
}

bool isControlRole(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button:
    case QAccessible::ButtonMenu:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::ListItem:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::Link:
        return true;
    default:
        return false;
    }
}

// Whether `b` comes after `a` when reading the screen: further down, or in the same row further
// right.
bool readsAfter(const QRect& a, const QRect& b) {
    const bool sameRow =
        std::abs(a.center().y() - b.center().y()) < std::min(a.height(), b.height()) / 2;
    return sameRow ? b.x() > a.x() : b.center().y() > a.center().y();
}

// What is wrong with a Tab chain: stops without a name, without a control's role, out of
// reading order or not scrolled into view.
QStringList problemsOf(const QList<Stop>& stops) {
    QStringList problems;
    for (qsizetype i = 0; i < stops.size(); ++i) {
        const Stop& stop = stops[i];
        const QString what = stop.widget
                                 ? QString::fromLatin1(stop.widget->metaObject()->className())
                                 : QStringLiteral("(gone)");
        if (stop.name.trimmed().isEmpty())
            problems << QStringLiteral("stop %1 (%2) has no name").arg(i).arg(what);
        if (!isControlRole(stop.role))
            problems << QStringLiteral("stop %1 (%2, \"%3\") has role %4")
                            .arg(i)
                            .arg(what, stop.name)
                            .arg(int(stop.role));
        if (!stop.focused)
            problems
                << QStringLiteral("stop %1 (\"%2\") is not reported focused").arg(i).arg(stop.name);
        if (!stop.shown)
            problems << QStringLiteral("stop %1 (\"%2\") was not in view").arg(i).arg(stop.name);
        if (i > 0 && !readsAfter(stops[i - 1].box, stop.box))
            problems << QStringLiteral("\"%1\" comes after \"%2\" but reads before it")
                            .arg(stop.name, stops[i - 1].name);
    }
    return problems;
}

// Whether `widget`, focused from the keyboard, makes the view draw something around it that
// it does not draw without the focus, in both themes: a ring along its edge or its row's.
bool showsFocus(QWidget& view, QWidget* widget) {
    const QRect box(widget->mapTo(&view, QPoint(0, 0)), widget->size());
    // The ring may follow the edge of the row the control fills.
    const QRect around = box.adjusted(-12, -12, 12, 12);
    for (const QPalette& palette : {Gallery::lightPalette(), Gallery::darkPalette()}) {
        view.setPalette(palette);
        widget->setFocus(Qt::TabFocusReason);
        const QImage focused = view.grab().toImage();
        widget->clearFocus();
        const QImage unfocused = view.grab().toImage();
        int near = 0;
        for (int y = 0; y < focused.height(); ++y) {
            for (int x = 0; x < focused.width(); ++x) {
                if (focused.pixel(x, y) != unfocused.pixel(x, y) && around.contains(x, y))
                    ++near;
            }
        }
        if (near < box.width() + box.height())
            return false;
    }
    view.setPalette(QPalette());
    return true;
}

QUrl writeDesign(const QTemporaryDir& dir, const QString& name) {
    using namespace StitchWriters;
    std::vector<Command> square;
    for (int side = 0; side < 4; ++side) {
        for (int step = 0; step < 10; ++step)
            square.push_back(stitch(side == 0   ? 30
                                    : side == 2 ? -30
                                                : 0,
                                    side == 1   ? 30
                                    : side == 3 ? -30
                                                : 0));
    }
    const QString path = dir.filePath(name);
    if (!writeFile(path, dst(square)))
        qFatal("cannot write a test design");
    return QUrl::fromLocalFile(path);
}

SendLogEntry sentEntry(const QUrl& url, bool ok = true, const QString& message = {}) {
    return SendLogEntry{QUuid::createUuid(),
                        SendLogEntry::dateFrom(QDateTime::currentDateTime()),
                        QStringLiteral("Studio"),
                        url,
                        ok,
                        message};
}

// Every visible label and control of `view` that does not fit: text cut rather than
// shortened, a widget reaching outside its parent, or two overlapping.
QStringList clippingIn(QWidget& view) {
    QStringList problems;
    QList<QWidget*> placed;
    for (QWidget* widget : view.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        auto* label = qobject_cast<StyledLabel*>(widget);
        const bool control = qobject_cast<QAbstractButton*>(widget) != nullptr;
        if (!label && !control)
            continue;
        const QString what = label ? label->fullText() : widget->accessibleName();
        if (auto* button = qobject_cast<ControlButton*>(widget)) {
            const QString shown = button->shownText();
            if (shown != button->text() && !shown.endsWith(QChar(0x2026)))
                problems << QStringLiteral("\"%1\" shows \"%2\"").arg(button->text(), shown);
            if (button->fontMetrics().horizontalAdvance(shown) > button->width())
                problems << QStringLiteral("\"%1\" is cut").arg(button->text());
        }
        if (label) {
            const QRect inner = label->contentsRect();
            const QFontMetrics metrics(label->font());
            for (const QString& line : label->text().split(QLatin1Char('\n'))) {
                if (metrics.horizontalAdvance(line) > inner.width() + 1)
                    problems << QStringLiteral("\"%1\" is cut at its end").arg(what);
            }
            const int needed = label->hasHeightForWidth() ? label->heightForWidth(label->width())
                                                          : metrics.height();
            if (label->height() < needed)
                problems << QStringLiteral("\"%1\" is %2 high, needs %3")
                                .arg(what)
                                .arg(label->height())
                                .arg(needed);
            if (!label->fullText().isEmpty() && label->text().isEmpty())
                problems << QStringLiteral("\"%1\" shows nothing").arg(what);
        }
        // Inside each parent, up to the content of a scrolled list.
        for (QWidget* child = widget; child != &view && child->parentWidget();
             child = child->parentWidget()) {
            QWidget* parent = child->parentWidget();
            const auto* area = qobject_cast<QAbstractScrollArea*>(parent->parentWidget());
            if (area && parent == area->viewport()) {
                // A list scrolls up and down only: nothing may reach past its sides.
                const int left = widget->mapTo(parent, QPoint(0, 0)).x();
                if (left < 0 || left + widget->width() > parent->width())
                    problems
                        << QStringLiteral("\"%1\" reaches past the side of its list").arg(what);
                break;
            }
            if (!parent->rect().contains(child->geometry())) {
                problems << QStringLiteral("\"%1\" reaches outside its parent (%2 in %3)")
                                .arg(what)
                                .arg(QDebug::toString(child->geometry()))
                                .arg(QDebug::toString(parent->rect()));
                break;
            }
        }
        placed.append(widget);
    }
    for (qsizetype i = 0; i < placed.size(); ++i) {
        for (qsizetype j = i + 1; j < placed.size(); ++j) {
            QWidget* a = placed[i];
            QWidget* b = placed[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a))
                continue;
            // A sheet lies over the screen on purpose.
            const auto onSheet = [](QWidget* widget) {
                for (QWidget* up = widget; up; up = up->parentWidget()) {
                    if (qobject_cast<ConfirmationSheet*>(up))
                        return true;
                }
                return false;
            };
            if (onSheet(a) != onSheet(b))
                continue;
            const QRect boxA(a->mapTo(&view, QPoint(0, 0)), a->size());
            const QRect boxB(b->mapTo(&view, QPoint(0, 0)), b->size());
            if (boxA.intersects(boxB))
                problems << QStringLiteral("\"%1\" and \"%2\" overlap")
                                .arg(qobject_cast<StyledLabel*>(a)
                                         ? qobject_cast<StyledLabel*>(a)->fullText()
                                         : a->accessibleName(),
                                     qobject_cast<StyledLabel*>(b)
                                         ? qobject_cast<StyledLabel*>(b)->fullText()
                                         : b->accessibleName());
        }
    }
    return problems;
}

// Every text `view` shows or says (labels, buttons, fields, tooltips, accessible names and menus)
// that has words outside the translated parts, other than the `data` it was given.
QStringList untranslatedIn(QWidget& view, const QStringList& data) {
    QStringList texts;
    for (QWidget* widget : view.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&view))
            continue;
        if (auto* label = qobject_cast<StyledLabel*>(widget))
            texts << label->fullText();
        else if (auto* plain = qobject_cast<QLabel*>(widget))
            texts << plain->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        else if (auto* field = qobject_cast<QLineEdit*>(widget))
            texts << field->text() << field->placeholderText();
        texts << widget->toolTip() << widget->accessibleName() << widget->accessibleDescription();
    }
    for (QMenu* menu : view.findChildren<QMenu*>())
        for (QAction* action : menu->actions())
            texts << action->text();
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    QStringList problems;
    for (const QString& text : texts) {
        QString rest = Gallery::unmarked(text);
        for (const QString& given : data)
            rest.remove(given);
        if (rest.contains(word))
            problems << QStringLiteral("\"%1\" is not translated").arg(text);
    }
    problems.removeDuplicates();
    return problems;
}

// The text a person reads in the tooltip `widget` shows when hovered (or in its parent's, when
// it has none).
QString shownToolTip(QWidget* widget) {
    const QPoint inside(widget->width() / 2, widget->height() / 2);
    QHelpEvent hover(QEvent::ToolTip, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &hover);
    const QString tip = QToolTip::text();
    QToolTip::hideText();
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

// Every label and tooltip under `view` that says `words` shows them as written, never as markup.
QStringList markupShownIn(QWidget& view, const QString& words) {
    QStringList problems;
    for (QWidget* widget : view.findChildren<QWidget*>()) {
        // (The tooltip's own window is a label that holds the escaped text.)
        if (const auto* label = qobject_cast<QLabel*>(widget);
            label && !label->isWindow() && label->textFormat() != Qt::PlainText &&
            Qt::mightBeRichText(label->text()))
            problems << QStringLiteral("label \"%1\" reads as markup").arg(label->text());
        const QString tip = widget->toolTip();
        if (tip.contains(words) && shownToolTip(widget) != tip)
            problems
                << QStringLiteral("tooltip \"%1\" shows as \"%2\"").arg(tip, shownToolTip(widget));
    }
    return problems;
}

// Lets layouts settle as they would before the next paint, and the drop zone's fades end.
void settle(PopoverView& view) {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
    if (QLayout* layout = view.layout())
        layout->activate();
    if (MainScreen* main = view.mainScreen())
        if (!QTest::qWaitFor([main] { return !main->dropZone()->isAnimating(); }))
            qWarning("the drop zone still animates");
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    QTemporaryDir m_configHome;
    QTemporaryDir m_files;
    std::unique_ptr<TemporaryStore> m_store;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<PopoverView> m_view;

    // The panel and its state go; a scan a screen started ends first, as it would hold on to
    // the state.
    void dropPanel() {
        m_view.reset();
        if (m_state && !QTest::qWaitFor([this] { return !m_state->monitor().isDiscovering(); }))
            qFatal("a scan did not end");
        m_state.reset();
    }

    // A fresh state, whose scans started by a screen stay on a loopback subnet where nothing
    // answers.
    void freshState() {
        dropPanel();
        m_store = std::make_unique<TemporaryStore>();
        m_state = std::make_unique<AppState>(m_store->open());
        m_state->monitor().setDiscoveryEnvironment(Scans::loopback({127, 0, 0, 96}, 9));
    }

    // A fresh state and panel, shown and active.
    PopoverView& panel() {
        freshState();
        return showPanel();
    }

    PopoverView& showPanel() {
        m_view = std::make_unique<PopoverView>(*m_state);
        m_view->show();
        m_view->activateWindow();
        if (!QTest::qWaitForWindowActive(m_view.get()))
            qFatal("the panel did not become active");
        settle(*m_view);
        return *m_view;
    }

    SavedMachine addStudio() {
        return m_state->machineList().addMachine(
            savedMachine({.name = "Studio", .host = "192.168.1.50"}));
    }

    // A machine that answers on the network, found by a scan of its loopback subnet.
    void findMachine(FakeMachine& machine, const QString& name) {
        if (!machine.start(QHostAddress(QStringLiteral("127.0.0.93"))))
            qFatal("cannot start the fake machine");
        machine.setInfoBody(
            QJsonDocument(QJsonObject{{QStringLiteral("name"), name},
                                      {QStringLiteral("machine-id"), QStringLiteral("M-93")}})
                .toJson(QJsonDocument::Compact));
        m_state->monitor().setDiscoveryEnvironment(
            Scans::loopback({127, 0, 0, 92}, machine.port()));
        QCoro::waitFor(m_state->monitor().discover());
    }

    void addSends() {
        m_state->recentSends().setSendLog(
            {sentEntry(writeDesign(m_files, QStringLiteral("rose-garden.pes"))),
             sentEntry(writeDesign(m_files, QStringLiteral("oak-leaf.dst")), false,
                       QStringLiteral("The machine refused the design.")),
             sentEntry(writeDesign(m_files, QStringLiteral("tulip.dst")))});
    }

    // A fresh panel with Studio saved and three sends in the log, one of them failed.
    void panelWithSends() {
        panel();
        addStudio();
        addSends();
        settle(*m_view);
    }

    // Checks the chain of the screen shown now and returns it.
    QList<Stop> checkedChain(const QStringList& expected) {
        settle(*m_view);
        const QList<Stop> stops = tabChain(*m_view);
        const QStringList problems = problemsOf(stops);
        if (!problems.isEmpty())
            qWarning().noquote() << problems.join(QLatin1Char('\n'));
        [&] { QVERIFY(problems.isEmpty()); }();
        [&] { QCOMPARE(names(stops), expected); }();
        return stops;
    }

    // Focuses the stop whose name starts with `name` by pressing Tab.
    QWidget* tabTo(const QString& name) {
        // A menu that closed leaves no window active here; on a desktop the panel gets it back.
        if (QApplication::activeWindow() != m_view.get()) {
            m_view->activateWindow();
            if (!QTest::qWaitForWindowActive(m_view.get()))
                return nullptr;
        }
        for (int presses = 0; presses < 60; ++presses) {
            QTest::keyClick(focusTarget(*m_view), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            QAccessibleInterface* face = now ? QAccessible::queryAccessibleInterface(now) : nullptr;
            if (face && face->text(QAccessible::Name).startsWith(name))
                return now;
        }
        return nullptr;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_configHome.isValid());
        QVERIFY(m_files.isValid());
        // The main screen's login item reads the autostart folder: this run's own.
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
    }

    void cleanup() {
        dropPanel();
        Gallery::setFontScale(1);
        Gallery::setLanguage(QStringLiteral("en"));
    }

    // --- the Tab chain of each screen --------------------------------------------------------

    void mainScreenWithoutAMachine() {
        panel();
        const QList<Stop> stops =
            checkedChain({QStringLiteral("Settings"), QStringLiteral("Close"),
                          QStringLiteral("Set Up…"), QStringLiteral("Drop designs here")});
        QCOMPARE(stops[0].role, QAccessible::ButtonMenu);
        QCOMPARE(stops[1].role, QAccessible::Button);
        QCOMPARE(stops[2].role, QAccessible::Button);
        // The drop zone is a button that chooses files, and says so.
        QCOMPARE(stops[3].role, QAccessible::Button);
        QAccessibleInterface* zone = QAccessible::queryAccessibleInterface(stops[3].widget);
        QVERIFY(
            zone->text(QAccessible::Description).contains(QStringLiteral("choose design files")));
        QVERIFY(zone->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        for (const Stop& stop : stops)
            QVERIFY2(showsFocus(*m_view, stop.widget), qPrintable(stop.name));
    }

    void mainScreenWithAMachineAndRecentSends() {
        panelWithSends();
        const QList<Stop> stops =
            checkedChain({QStringLiteral("Settings"), QStringLiteral("Close"),
                          QStringLiteral("Studio, 192.168.1.50"),
                          QStringLiteral("Drop designs to send to Studio"), QStringLiteral("Clear"),
                          QStringLiteral("rose-garden.pes"), QStringLiteral("oak-leaf.dst"),
                          QStringLiteral("tulip.dst")});
        QCOMPARE(stops[2].role, QAccessible::Button);
        QCOMPARE(stops[5].role, QAccessible::ListItem);

        // The bar and the cards describe themselves beyond their names.
        const auto description = [](QWidget* widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
        };
        QCOMPARE(description(stops[2].widget), QStringLiteral("Choose or manage machines"));
        QVERIFY(description(stops[5].widget).startsWith(QStringLiteral("Sent to Studio · ")));
        QCOMPARE(description(stops[6].widget).section(u'\n', 0, 0),
                 QStringLiteral("The machine refused the design."));
        // A symbol's tooltip is its description only where it adds to the name.
        QCOMPARE(description(stops[0].widget), QString());
        for (const Stop& stop : stops)
            QVERIFY2(showsFocus(*m_view, stop.widget), qPrintable(stop.name));
        for (int i : {0, 2, 3, 4, 6}) {
            stops[i].widget->setFocus(Qt::TabFocusReason);
            QVERIFY(Gallery::render(*m_view, QStringLiteral("a11y-focus-%1").arg(i)).saved);
        }

        // A card that arrives later is still read in its place, at the top of the list.
        m_state->recentSends().setSendLog(
            QList<SendLogEntry>{sentEntry(writeDesign(m_files, QStringLiteral("daisy.pes")))} +
            m_state->recentSends().sendLog());
        checkedChain({QStringLiteral("Settings"), QStringLiteral("Close"),
                      QStringLiteral("Studio, 192.168.1.50"),
                      QStringLiteral("Drop designs to send to Studio"), QStringLiteral("Clear"),
                      QStringLiteral("daisy.pes"), QStringLiteral("rose-garden.pes"),
                      QStringLiteral("oak-leaf.dst"), QStringLiteral("tulip.dst")});
    }

    void mainScreenWithAFoundMachine() {
        panel();
        FakeMachine machine;
        findMachine(machine, QStringLiteral("Studio"));
        const QList<Stop> stops =
            checkedChain({QStringLiteral("Settings"), QStringLiteral("Close"),
                          QStringLiteral("Use This Machine"), QStringLiteral("Drop designs here")});
        QWidget* use = stops[2].widget;
        QTest::keyClick(use, Qt::Key_Return);
        QCOMPARE(m_state->machineList().machines().size(), 1);
        QCOMPARE(m_view->mainScreen()->machineBar()->kind(), MachineBar::Kind::selected);
    }

    // Names from a machine's reply, the store or the disk are text: markup in them (an image
    // naming a file, say) is shown as written wherever the panel shows them.
    void markupInNamesIsShownAsWritten() {
        const QString markup = QStringLiteral("<img src=\"no-such-image.png\"><b>Studio</b>");
        const QString longMarkup = markup + QStringLiteral(" Embroidery Studio Upstairs");
        panel();
        FakeMachine found;
        findMachine(found, longMarkup);
        settle(*m_view);
        QWidget* foundBar = m_view->mainScreen()->machineBar()->actionButton()->parentWidget();
        QVERIFY(foundBar->toolTip().startsWith(QStringLiteral("Found ") + longMarkup));
        QCOMPARE(shownToolTip(m_view->mainScreen()->machineBar()->actionButton()),
                 foundBar->toolTip());
        QStringList problems = markupShownIn(*m_view, markup);

        m_state->machineList().addMachine(savedMachine({.name = markup}));
        // A file name cannot hold "/", but it can hold markup.
        const QString fileMarkup = QStringLiteral("<img src=\"no-such-image.png\"><b>rose.pes");
        m_state->recentSends().setSendLog({sentEntry(writeDesign(m_files, fileMarkup))});
        settle(*m_view);
        QCOMPARE(m_view->findChildren<RecentSendCard*>().size(), 1);
        QVERIFY(m_view->findChildren<RecentSendCard*>().first()->toolTip().contains(fileMarkup));
        problems << markupShownIn(*m_view, markup) << markupShownIn(*m_view, fileMarkup);
        m_view->push(Screen::machines());
        settle(*m_view);
        machinesView()->rows().at(0)->actionsMenu()->actions().last()->trigger();
        settle(*m_view);
        QVERIFY(machinesView()->confirmation()->isPresented());
        QCOMPARE(machinesView()->confirmation()->confirmButton()->toolTip(),
                 QStringLiteral("Remove ") + markup);
        problems << markupShownIn(*m_view, markup);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void aLongListScrollsToTheFocusedCard() {
        panel();
        addStudio();
        QList<SendLogEntry> log;
        QStringList expected{QStringLiteral("Settings"), QStringLiteral("Close"),
                             QStringLiteral("Studio, 192.168.1.50"),
                             QStringLiteral("Drop designs to send to Studio"),
                             QStringLiteral("Clear")};
        for (int i = 0; i < 9; ++i) {
            const QString name = QStringLiteral("design-%1.dst").arg(i);
            log.append(sentEntry(writeDesign(m_files, name)));
            expected.append(name);
        }
        m_state->recentSends().setSendLog(log);
        settle(*m_view);
        checkedChain(expected);
    }

    void pushedScreensStartAtTheirBackButton() {
        PopoverView& view = panel();
        view.push(Screen::machines());
        settle(view);
        const QList<Stop> stops = tabChain(view);
        QVERIFY(!stops.isEmpty());
        QCOMPARE(stops.first().name, QStringLiteral("Back"));
        QCOMPARE(stops.first().role, QAccessible::Button);
        QVERIFY(showsFocus(view, stops.first().widget));
    }

    // The check itself: a control nobody named is caught, and so is one out of reading order.
    void aControlWithoutANameIsCaught() {
        PopoverView& view = panel();
        HeaderButton* close = view.mainScreen()->closeButton();
        close->setAccessibleName(QString());
        QStringList problems = problemsOf(tabChain(view));
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(QStringLiteral("has no name")));
        close->setAccessibleName(QStringLiteral("Close"));
        QVERIFY(problemsOf(tabChain(view)).isEmpty());

        // A button left of the settings button, reached after everything else.
        auto* header = view.mainScreen()->settingsButton()->parentWidget();
        auto* late = new HeaderButton(QStringLiteral("pencil"), header);
        late->setAccessibleName(QStringLiteral("Edit"));
        qobject_cast<QHBoxLayout*>(header->layout())->insertWidget(2, late);
        settle(view);
        problems = problemsOf(tabChain(view));
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(QStringLiteral("\"Edit\" comes after")));
    }

    // --- Space and Return -------------------------------------------------------------------

    void returnOnTheMachineBarOpensTheMachinesList() {
        PopoverView& view = panel();
        addStudio();
        settle(view);
        QWidget* bar = tabTo(QStringLiteral("Studio, 192.168.1.50"));
        QVERIFY(bar);
        QTest::keyClick(bar, Qt::Key_Return);
        QCOMPARE(view.path(), QList<Screen>{Screen::machines()});

        // Return on the back button goes back; so does Space on it.
        QWidget* back = tabTo(QStringLiteral("Back"));
        QVERIFY(back);
        QTest::keyClick(back, Qt::Key_Return);
        QTRY_VERIFY(view.path().isEmpty());
        view.push(Screen::machines());
        back = tabTo(QStringLiteral("Back"));
        QVERIFY(back);
        QTest::keyClick(back, Qt::Key_Space);
        QTRY_VERIFY(view.path().isEmpty());
    }

    void setUpAndClearPressFromTheKeyboard() {
        PopoverView& view = panel();
        QWidget* setUp = tabTo(QStringLiteral("Set Up…"));
        QVERIFY(setUp);
        QTest::keyClick(setUp, Qt::Key_Space);
        QCOMPARE(view.path(), QList<Screen>{Screen::machines()});
        view.pop();

        addStudio();
        addSends();
        settle(view);
        QWidget* clear = tabTo(QStringLiteral("Clear"));
        QVERIFY(clear);
        // Disabled while a send runs: the key does nothing.
        m_state->sendQueue().setSendStatus(SendStatuses::Sending{QStringLiteral("a.pes"), 1, 1});
        QTest::keyClick(clear, Qt::Key_Space);
        QCOMPARE(m_state->recentSends().sendLog().size(), 3);
        m_state->sendQueue().setSendStatus(SendStatuses::Idle{});
        QTest::keyClick(clear, Qt::Key_Space);
        QVERIFY(m_state->recentSends().sendLog().isEmpty());

        // The drop zone's "OK" after an error, with Return.
        m_state->sendQueue().setSendStatus(
            SendStatuses::Error{QStringLiteral("No machine answered.")});
        settle(view);
        QWidget* ok = tabTo(QStringLiteral("OK"));
        QVERIFY(ok);
        QTest::keyClick(ok, Qt::Key_Return);
        QVERIFY(std::holds_alternative<SendStatuses::Idle>(m_state->sendQueue().sendStatus()));
    }

    // --- menus ------------------------------------------------------------------------------

    void theSettingsMenuOpensFromTheKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("down") << int(Qt::Key_Down);
    }

    void theSettingsMenuOpensFromTheKeyboard() {
        QFETCH(int, key);
        PopoverView& view = panel();
        QWidget* settings = tabTo(QStringLiteral("Settings"));
        QVERIFY(settings);
        QMenu* menu = view.mainScreen()->settingsMenu();
        QTest::keyClick(settings, Qt::Key(key));
        QTRY_VERIFY(menu->isVisible());
        // The menu takes the keys: Down and Return choose its first item.
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_COMPARE(view.path(), QList<Screen>{Screen::machines()});
    }

    // A message's "OK" hides once pressed, and Qt hands the focus on as if by Tab: the next
    // control shows the ring only when "OK" was pressed from the keyboard.
    void theFocusHandedOnByAHiddenButtonKeepsItsRing() {
        panelWithSends();
        DropZone* zone = m_view->mainScreen()->dropZone();
        // Whether the control draws differently with the focus than without it.
        const auto ringShown = [](QWidget* widget) {
            const QImage focused = widget->grab().toImage();
            widget->clearFocus();
            return widget->grab().toImage() != focused;
        };
        const SendStatus refused =
            SendStatuses::Error{QStringLiteral("The machine refused the design.")};

        m_state->sendQueue().setSendStatus(refused);
        settle(*m_view);
        QTest::mouseClick(zone->okButton(), Qt::LeftButton);
        QVERIFY(!zone->okButton()->isVisible());
        QWidget* next = QApplication::focusWidget();
        QVERIFY(next && next != zone->okButton());
        QVERIFY(!ringShown(next));

        m_state->sendQueue().setSendStatus(refused);
        settle(*m_view);
        QWidget* ok = tabTo(QStringLiteral("OK"));
        QCOMPARE(ok, zone->okButton());
        QTest::keyClick(ok, Qt::Key_Return);
        QVERIFY(!zone->okButton()->isVisible());
        next = QApplication::focusWidget();
        QVERIFY(next && next != ok);
        QVERIFY(ringShown(next));
    }

    void escapeClosesAMenuAndTheFocusStaysShown() {
        PopoverView& view = panel();
        auto* settings = qobject_cast<HeaderButton*>(tabTo(QStringLiteral("Settings")));
        QVERIFY(settings);
        QTest::keyClick(settings, Qt::Key_Space);
        QMenu* menu = view.mainScreen()->settingsMenu();
        QTRY_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(!menu->isVisible());
        QVERIFY(view.path().isEmpty()); // the panel stays on its screen
        QTRY_COMPARE(QApplication::focusWidget(), settings);
        QVERIFY(settings->isFocusRingVisible());
        QVERIFY(!settings->isDown());
    }

    void aCardOpensItsMenuFromTheKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
        QTest::newRow("return") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("space") << int(Qt::Key_Space) << int(Qt::NoModifier);
    }

    void aCardOpensItsMenuFromTheKeyboard() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        panelWithSends();
        auto* card = qobject_cast<RecentSendCard*>(tabTo(QStringLiteral("oak-leaf.dst")));
        QVERIFY(card);
        // Focused from the keyboard: the ring and the "More" button show.
        QVERIFY(card->isFocusRingVisible());
        QVERIFY(card->moreButton()->isVisible());
        QTest::keyClick(card, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QMenu* menu = card->actionsMenu();
        QTRY_VERIFY(menu->isVisible());
        // Under the card, not wherever the pointer is.
        const QRect cardBox(card->mapToGlobal(QPoint(0, 0)), card->size());
        QVERIFY(qAbs(menu->geometry().top() - card->moreButton()->mapToGlobal(QPoint(0, 0)).y() -
                     card->moreButton()->height()) <= 1);
        QVERIFY(menu->geometry().right() <= cardBox.right() + 1);
        // Its first item sends the file again.
        QTest::keyClick(menu, Qt::Key_Down);
        QCOMPARE(menu->activeAction(), card->sendAgainAction());
        menu->hide();
        QTRY_VERIFY(!menu->isVisible());
    }

    void aClickedCardShowsNoRingAndTheNextCardTakesTheMoreButton() {
        panelWithSends();
        RecentSendsView* list = qobject_cast<RecentSendsView*>(m_view->mainScreen()->recentSends());
        QVERIFY(list);
        RecentSendCard* first = list->cards().at(0);
        RecentSendCard* second = list->cards().at(1);
        first->setFocus(Qt::MouseFocusReason);
        QVERIFY(first->hasFocus());
        QVERIFY(!first->isFocusRingVisible());
        QTest::keyClick(first, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), second);
        QVERIFY(second->isFocusRingVisible());
        QVERIFY(second->moreButton()->isVisible());
        QVERIFY(!first->moreButton()->isVisible());
        // The accessibility tree offers the menu too.
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(second);
        QVERIFY(face->actionInterface());
        QVERIFY(face->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::showMenuAction()));
        face->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
        QTRY_VERIFY(second->actionsMenu()->isVisible());
        second->actionsMenu()->hide();
    }

    // --- the machine screens -----------------------------------------------------------------

    // Shows `screen` with what it lists: two saved machines and one found on the network for
    // the list; a machine with a model for the editor; a machine that reports itself with
    // another certificate than the pinned one for the info screen; the removal question.
    void showMachineScreen(const QString& screen, FakeMachine& machine) {
        const SavedMachine studio = addStudio();
        const SavedMachine attic = m_state->machineList().addMachine(
            savedMachine({.name = "Attic", .host = "192.168.1.51", .model = "Innov-is M370"}));
        m_state->machineList().selectMachine(studio);
        if (screen == QLatin1String("machines") || screen == QLatin1String("sheet")) {
            findMachine(machine, QStringLiteral("Atelier"));
            m_view->push(Screen::machines());
        } else if (screen == QLatin1String("add")) {
            m_view->push(Screen::addMachine());
        } else if (screen == QLatin1String("edit")) {
            m_view->push(Screen::editMachine(attic));
        } else if (screen == QLatin1String("info")) {
            if (!machine.start(QHostAddress(QStringLiteral("127.0.0.94"))))
                qFatal("cannot start the fake machine");
            machine.setInfoBody(
                QJsonDocument(QJsonObject{{QStringLiteral("name"), QStringLiteral("Studio")},
                                          {QStringLiteral("serial"), QStringLiteral("B2X-88213")},
                                          {QStringLiteral("version"), QStringLiteral("1.24")},
                                          {QStringLiteral("machine-id"), QStringLiteral("M-94")},
                                          {QStringLiteral("features"),
                                           QJsonObject{{QStringLiteral("embwidth"), 2600},
                                                       {QStringLiteral("embheight"), 1600},
                                                       {QStringLiteral("needles"), 10},
                                                       {QStringLiteral("postsize"), 3000000}}}})
                    .toJson(QJsonDocument::Compact));
            const SavedMachine pinned = m_state->machineList().addMachine(savedMachineAt(
                machine, {.name = "Studio by the Window",
                          .fingerprint = "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:"
                                         "CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89"}));
            m_view->push(Screen::machineInfo(pinned));
            auto* info = qobject_cast<MachineInfoView*>(m_view->currentScreen());
            if (!info ||
                !QTest::qWaitFor([info] { return info->certificateWarning()->isVisible(); }))
                qFatal("the info screen shows no changed certificate");
        }
        settle(*m_view);
        if (screen == QLatin1String("sheet")) {
            auto* list = qobject_cast<MachinesView*>(m_view->currentScreen());
            list->rows().at(1)->actionsMenu()->actions().last()->trigger();
            settle(*m_view);
        }
    }

    MachinesView* machinesView() const {
        return qobject_cast<MachinesView*>(m_view->currentScreen());
    }

    void machinesListWithSavedAndFoundMachines() {
        panel();
        FakeMachine machine;
        showMachineScreen(QStringLiteral("machines"), machine);
        const QList<Stop> stops = checkedChain(
            {QStringLiteral("Back"), QStringLiteral("Studio, 192.168.1.50 · Not checked"),
             QStringLiteral("Actions for Studio"),
             QStringLiteral("Attic, 192.168.1.51 · Not checked"),
             QStringLiteral("Actions for Attic"), QStringLiteral("Add"),
             QStringLiteral("Scan Network"), QStringLiteral("Add by Address…")});
        // The rows read as a choice of one; each actions button as a menu.
        QCOMPARE(stops[1].role, QAccessible::RadioButton);
        QVERIFY(QAccessible::queryAccessibleInterface(stops[1].widget)->state().checked);
        QVERIFY(!QAccessible::queryAccessibleInterface(stops[3].widget)->state().checked);
        QCOMPARE(stops[2].role, QAccessible::ButtonMenu);
        QCOMPARE(
            QAccessible::queryAccessibleInterface(stops[1].widget)->text(QAccessible::Description),
            QStringLiteral("Send designs to Studio"));
        QVERIFY(QAccessible::queryAccessibleInterface(stops[5].widget)
                    ->text(QAccessible::Description)
                    .startsWith(QStringLiteral("Atelier, 127.0.0.93:")));
        for (const Stop& stop : stops)
            QVERIFY2(showsFocus(*m_view, stop.widget), qPrintable(stop.name));
        stops[1].widget->setFocus(Qt::TabFocusReason);
        Gallery::render(*m_view, QStringLiteral("a11y-focus-machine-row"));

        // A machine saved later still reads in its place, above the found machines.
        m_state->machineList().addMachine(savedMachine({.name = "Loft", .host = "192.168.1.52"}));
        settle(*m_view);
        QCOMPARE(names(tabChain(*m_view)).mid(5, 2),
                 (QStringList{QStringLiteral("Loft, 192.168.1.52 · Not checked"),
                              QStringLiteral("Actions for Loft")}));
    }

    void returnOnARowPicksItAndMenusOpenFromTheKeyboard() {
        PopoverView& view = panel();
        FakeMachine machine;
        showMachineScreen(QStringLiteral("machines"), machine);
        MachineRow* attic = machinesView()->rows().at(1);

        // The context menu key on the row, and Return on its actions button, open its actions.
        QWidget* row = tabTo(QStringLiteral("Attic, 192.168.1.51 · Not checked"));
        QVERIFY(row);
        QTest::keyClick(row, Qt::Key_Menu);
        QTRY_VERIFY(attic->actionsMenu()->isVisible());
        attic->actionsMenu()->hide();
        QTest::keyClick(row, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(attic->actionsMenu()->isVisible());
        attic->actionsMenu()->hide();
        QWidget* actions = tabTo(QStringLiteral("Actions for Attic"));
        QVERIFY(actions);
        QTest::keyClick(actions, Qt::Key_Return);
        QTRY_VERIFY(attic->actionsMenu()->isVisible());
        // Down and Return choose "Machine Info".
        QTest::keyClick(attic->actionsMenu(), Qt::Key_Down);
        QTest::keyClick(attic->actionsMenu(), Qt::Key_Return);
        QTRY_COMPARE(view.path().size(), 2);
        QCOMPARE(view.path().last().kind, Screen::Kind::machineInfo);
        QTest::keyClick(focusTarget(view), Qt::Key_Escape);
        QTRY_COMPARE(view.path().size(), 1);

        // Return on a row picks it and goes back to the main screen. (The info screen checked
        // the machine meanwhile, so the row's state has changed.)
        row = tabTo(QStringLiteral("Attic, "));
        QVERIFY(row);
        QTest::keyClick(row, Qt::Key_Return);
        QTRY_VERIFY(view.path().isEmpty());
        QCOMPARE(m_state->machineList().selectedMachine()->name, QStringLiteral("Attic"));
    }

    void theRemovalQuestionKeepsTheFocus() {
        panel();
        FakeMachine machine;
        showMachineScreen(QStringLiteral("sheet"), machine);
        ConfirmationSheet* sheet = machinesView()->confirmation();
        QVERIFY(sheet->isPresented());
        // The question reads as a dialog; the focus starts on "Cancel", visibly.
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(sheet);
        QCOMPARE(face->role(), QAccessible::Dialog);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Remove this machine?"));
        QCOMPARE(QApplication::focusWidget(), sheet->cancelButton());
        QVERIFY(sheet->cancelButton()->isFocusRingVisible());
        Gallery::render(*m_view, QStringLiteral("a11y-focus-sheet"));

        // Tab goes round its two buttons and nowhere else.
        const QList<Stop> stops = tabChain(*m_view, true);
        QStringList problems = problemsOf(stops);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        QCOMPARE(names(stops),
                 (QStringList{QStringLiteral("Remove Attic"), QStringLiteral("Cancel")}));
        QCOMPARE(QApplication::focusWidget(), sheet->confirmButton());
        QTest::keyClick(focusTarget(*m_view), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), sheet->cancelButton());

        // Escape dismisses it; Space on "Remove Attic" removes.
        QTest::keyClick(focusTarget(*m_view), Qt::Key_Escape);
        QVERIFY(!sheet->isPresented());
        QCOMPARE(m_view->path().size(), 1);
        QCOMPARE(m_state->machineList().machines().size(), 2);
        machinesView()->rows().at(1)->actionsMenu()->actions().last()->trigger();
        QVERIFY(sheet->isPresented());
        QTest::keyClick(focusTarget(*m_view), Qt::Key_Backtab);
        QTest::keyClick(focusTarget(*m_view), Qt::Key_Space);
        QVERIFY(!sheet->isPresented());
        QCOMPARE(m_state->machineList().machines().size(), 1);
    }

    void theEditorAddsAndEditsFromTheKeyboard() {
        PopoverView& view = panel();
        FakeMachine machine;
        showMachineScreen(QStringLiteral("add"), machine);
        // Nothing to test or add yet: only the fields.
        QList<Stop> stops =
            checkedChain({QStringLiteral("Back"), QStringLiteral("IP address"),
                          QStringLiteral("Port"), QStringLiteral("Name"), QStringLiteral("Model")});
        QCOMPARE(stops[1].role, QAccessible::EditableText);
        for (const Stop& stop : stops.mid(0, 1))
            QVERIFY2(showsFocus(*m_view, stop.widget), qPrintable(stop.name));

        auto* editor = qobject_cast<MachineEditView*>(view.currentScreen());
        QVERIFY(editor);
        QWidget* host = tabTo(QStringLiteral("IP address"));
        QCOMPARE(host, editor->hostField());
        QTest::keyClicks(host, QStringLiteral("192.168.1.60"));
        checkedChain({QStringLiteral("Back"), QStringLiteral("IP address"), QStringLiteral("Port"),
                      QStringLiteral("Name"), QStringLiteral("Model"),
                      QStringLiteral("Test Connection"), QStringLiteral("Add Machine")});
        QWidget* add = tabTo(QStringLiteral("Add Machine"));
        QVERIFY(add);
        QVERIFY(showsFocus(view, add));
        add->setFocus(Qt::TabFocusReason);
        QTest::keyClick(add, Qt::Key_Return);
        QTRY_COMPARE(m_state->machineList().machines().size(), 3);
        QCOMPARE(m_state->machineList().machines().last().host, QStringLiteral("192.168.1.60"));
        QTRY_VERIFY(view.path().isEmpty());

        dropPanel();
        panel();
        showMachineScreen(QStringLiteral("edit"), machine);
        stops =
            checkedChain({QStringLiteral("Back"), QStringLiteral("IP address"),
                          QStringLiteral("Port"), QStringLiteral("Name"), QStringLiteral("Model"),
                          QStringLiteral("Test Connection"), QStringLiteral("Save")});
        for (const Stop& stop : stops.mid(5))
            QVERIFY2(showsFocus(*m_view, stop.widget), qPrintable(stop.name));
    }

    void theInfoScreenWithAReportAndAChangedCertificate() {
        panel();
        FakeMachine machine;
        showMachineScreen(QStringLiteral("info"), machine);
        const QList<Stop> stops = checkedChain(
            {QStringLiteral("Back"), QStringLiteral("Check Again"), QStringLiteral("Edit Machine"),
             QStringLiteral("Certificate (SHA-256)"), QStringLiteral("Trust New Certificate")});
        QCOMPARE(stops[3].role, QAccessible::EditableText);
        for (const Stop& stop : stops) {
            if (qobject_cast<QAbstractButton*>(stop.widget))
                QVERIFY2(showsFocus(*m_view, stop.widget), qPrintable(stop.name));
        }
        auto* info = qobject_cast<MachineInfoView*>(m_view->currentScreen());
        QWidget* trust = tabTo(QStringLiteral("Trust New Certificate"));
        QVERIFY(trust);
        QTest::keyClick(trust, Qt::Key_Space);
        QTRY_VERIFY(!info->certificateWarning()->isVisible());
        QCOMPARE(info->fingerprintText(), machine.fingerprint());
    }

    // --- larger text and other languages ----------------------------------------------------

    // Every screen state in every language at 1.0x and 1.5x text, and once in the pseudo-language
    // whose marks show any text that does not go through translation.
    void textsFitInEveryLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("state");
        QStringList languages = QStringList{QStringLiteral("en")} + Translations::languages();
        languages << QString::fromLatin1(Gallery::pseudoLanguage);
        const QStringList states{
            QStringLiteral("none"),    QStringLiteral("found"),    QStringLiteral("sends"),
            QStringLiteral("sending"), QStringLiteral("sent"),     QStringLiteral("sent-oversize"),
            QStringLiteral("error"),   QStringLiteral("machines"), QStringLiteral("add"),
            QStringLiteral("edit"),    QStringLiteral("info"),     QStringLiteral("sheet")};
        for (const QString& language : languages) {
            const bool pseudo = language == QLatin1String(Gallery::pseudoLanguage);
            for (const double scale : pseudo ? QList<double>{1.0} : QList<double>{1.0, 1.5}) {
                for (const QString& state : states)
                    QTest::addRow("%s %.1fx %s", qPrintable(language), scale, qPrintable(state))
                        << language << scale << state;
            }
        }
    }

    void textsFitInEveryLanguage() {
        QFETCH(QString, language);
        QFETCH(double, scale);
        QFETCH(QString, state);
        const bool english = language == QLatin1String("en");
        Gallery::setLanguage(language);
        Gallery::setFontScale(scale);
        freshState();
        FakeMachine machine;
        const bool machineScreen =
            QStringList{QStringLiteral("machines"), QStringLiteral("add"), QStringLiteral("edit"),
                        QStringLiteral("info"), QStringLiteral("sheet")}
                .contains(state);
        if (machineScreen) {
            showPanel();
            showMachineScreen(state, machine);
        } else if (state == QLatin1String("found")) {
            findMachine(machine, QStringLiteral("Embroidery Studio Upstairs"));
            QCOMPARE(m_state->monitor().discovered().size(), 1);
        } else if (state != QLatin1String("none")) {
            m_state->machineList().addMachine(
                savedMachine({.name = "Studio by the Window", .host = "192.168.1.50"}));
            addSends();
        }
        if (state == QLatin1String("sending"))
            m_state->sendQueue().setSendStatus(SendStatuses::Sending{
                QStringLiteral("a-very-long-design-name-for-the-spring-fair.pes"), 2, 3});
        else if (state == QLatin1String("sent"))
            m_state->sendQueue().setSendStatus(SendStatuses::Sent{
                SendQueue::tr("%n designs", nullptr, 3), QStringLiteral("Studio")});
        else if (state == QLatin1String("sent-oversize")) {
            // Three designs larger than the machine's area: the warnings fold, the instruction
            // stays.
            MachineInfo info;
            info.embroideryWidthMM = 260;
            info.embroideryHeightMM = 160;
            QStringList warnings;
            for (const char* name : {"rose-garden.pes", "oak-leaf.dst", "tulip.dst"})
                warnings << *SizeWarning::text(QString::fromLatin1(name), {300, 280},
                                               QStringLiteral("Studio"), info);
            m_state->sendQueue().setSendStatus(SendStatuses::Sent{
                SendQueue::tr("%n designs", nullptr, 3), QStringLiteral("Studio"), warnings});
        } else if (state == QLatin1String("error"))
            m_state->sendQueue().setSendStatus(SendStatuses::Error{
                english ? QStringLiteral("Studio isn't answering. Make sure it's on, with wireless "
                                         "LAN enabled, on the same network as this computer.")
                        : BrotherAPIError{BrotherAPIError::NoAnswer{}}.errorDescription()});
        PopoverView& view = machineScreen ? *m_view : showPanel();
        QStringList problems = clippingIn(view);
        if (language == QLatin1String(Gallery::pseudoLanguage))
            problems << untranslatedIn(
                view, {QStringLiteral("Bobbinlark"), QStringLiteral("Studio by the Window"),
                       QStringLiteral("Embroidery Studio Upstairs"), QStringLiteral("Studio"),
                       QStringLiteral("Attic"), QStringLiteral("Atelier"),
                       QStringLiteral("Innov-is M370"), QStringLiteral("B2X-88213"),
                       QStringLiteral("rose-garden.pes"), QStringLiteral("oak-leaf.dst"),
                       QStringLiteral("tulip.dst"), QStringLiteral(".pes"), QStringLiteral(".phc"),
                       QStringLiteral(".dst"), QStringLiteral(".pen"),
                       QStringLiteral("a-very-long-design-name-for-the-spring-fair.pes"),
                       // A failure stored in the log, in the language it was written in.
                       QStringLiteral("The machine refused the design."),
                       QStringLiteral("AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:"
                                      "01:23:45:67:89:AB:CD:EF:01:23:45:67:89")});
        if (state == QLatin1String("machines")) {
            // The bottom bar's symbols give way so both texts show whole.
            for (ControlButton* button : view.currentScreen()->findChildren<ControlButton*>()) {
                if (button->text() == MachinesView::tr("Scan Network") ||
                    button->text() == MachinesView::tr("Add by Address…")) {
                    QCOMPARE(button->shownText(), button->text());
                    // (Side by side in English; a longer language stacks them, with room.)
                    if (english && scale > 1.2)
                        QVERIFY(!button->showsSymbol());
                }
            }
        }
        if (state == QLatin1String("sent-oversize")) {
            const DropZone* zone = view.mainScreen()->dropZone();
            QCOMPARE(zone->detail(), DropZone::tr("On the machine, open the pattern retrieve "
                                                  "screen and pick the wireless pocket."));
            QCOMPARE(zone->warning().count(u'\n'), 1); // two lines: the first, "and 2 more"
        }
        if (state == QLatin1String("found") && scale > 1.2) {
            // Beside the button the name would keep only its first letters: the button moves
            // under it and the bar grows. What still does not fit, the tooltip says whole.
            MachineBar* bar = view.mainScreen()->machineBar();
            const QPoint button = bar->actionButton()->mapTo(bar, QPoint(0, 0));
            QVERIFY(button.y() >= MachineBar::height);
            QVERIFY(button.y() + bar->actionButton()->height() <= bar->QWidget::height());
            QCOMPARE(bar->actionButton()->parentWidget()->toolTip(),
                     MachineBar::tr("Found %1").arg(QStringLiteral("Embroidery Studio Upstairs")) +
                         u'\n' + bar->subtitle());
        }
        Gallery::render(
            view, (machineScreen ? QStringLiteral("a11y-") : QStringLiteral("a11y-main-")) + state);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
