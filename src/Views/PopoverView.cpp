#include "Views/PopoverView.h"

#include "State/AppState.h"
#include "Views/MachineEditView.h"
#include "Views/MachineInfoView.h"
#include "Views/MachinesView.h"
#include "Views/MainScreen.h"
#include "Views/Widgets/HeaderButton.h"

#include <QVBoxLayout>

PopoverView::PopoverView(AppState& appState, QWidget* parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_layout(new QVBoxLayout(this)) {
    setFixedSize(360, 520);
    setAutoFillBackground(true);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    showTop();
}

void PopoverView::push(const Screen& screen) {
    m_path.append(screen);
    showTop();
    emit pathChanged();
}

void PopoverView::pop() {
    if (m_path.isEmpty())
        return;
    m_path.removeLast();
    showTop();
    emit pathChanged();
}

MainScreen* PopoverView::mainScreen() const {
    return m_currentIdentity == mainScreenIdentity ? qobject_cast<MainScreen*>(m_current) : nullptr;
}

void PopoverView::showTop() {
    const Screen* top = m_path.isEmpty() ? nullptr : &m_path.last();
    const QString identity = top ? top->identity() : mainScreenIdentity;
    // The same identity keeps its widget and so its state.
    if (m_current && identity == m_currentIdentity)
        return;
    if (m_current) {
        // Navigation is often started by a button of the outgoing screen: let it return first.
        m_current->hide();
        m_layout->removeWidget(m_current);
        m_current->deleteLater();
    }
    m_current = makeScreen(top);
    m_currentIdentity = identity;
    m_current->setParent(this);
    m_layout->addWidget(m_current);
    m_current->show();
}

QWidget* PopoverView::makeScreen(const Screen* top) {
    if (!top)
        return makeMainScreen();
    switch (top->kind) {
    case Screen::Kind::editMachine:
        return makeMachineEditView(top->machine);
    case Screen::Kind::machineInfo:
        return makeMachineInfoView(top->machine.value_or(SavedMachine{}));
    case Screen::Kind::machines:
        return makeMachinesView();
    case Screen::Kind::addMachine:
        return makeMachineEditView(std::nullopt);
    }
    return makeMainScreen();
}

QWidget* PopoverView::makeMainScreen() {
    auto* main = new MainScreen(m_appState, [this](const Screen& screen) { push(screen); });
    connect(main->closeButton(), &QAbstractButton::clicked, this, &PopoverView::closeRequested);
    return main;
}

// --- Destinations -------------------------------------------------------------------------------

QWidget* PopoverView::makeMachinesView() {
    return new MachinesView(
        m_appState, [this](const Screen& screen) { push(screen); }, [this] { pop(); });
}

QWidget* PopoverView::makeMachineEditView(const std::optional<SavedMachine>& machine) {
    return new MachineEditView(m_appState, machine, [this] { pop(); });
}

QWidget* PopoverView::makeMachineInfoView(const SavedMachine& machine) {
    return new MachineInfoView(
        m_appState, machine, [this] { pop(); },
        [this, machine] {
            // The editor gets the machine as saved now: a check since the screen opened may
            // have pinned its certificate, which an older copy would drop on save.
            push(Screen::editMachine(
                m_appState.machineList().savedMachine(machine.id).value_or(machine)));
        });
}
