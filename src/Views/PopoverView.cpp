#include "Views/PopoverView.h"

#include "AppState.h"
#include "Views/MainScreen.h"
#include "Views/ScreenHeader.h"

#include <QVBoxLayout>

namespace {

// A screen that shows only its header over an empty body, for destinations whose content is
// still to come: navigation to and from them works as it will.
QWidget* placeholderScreen(const QString& title, const PopoverView::Back& onBack) {
    auto* screen = new QWidget;
    auto* column = new QVBoxLayout(screen);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(new ScreenHeader(title, onBack, screen));
    column->addStretch(1);
    return screen;
}

} // namespace

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
    return new MainScreen(m_appState, [this](const Screen& screen) { push(screen); });
}

// --- Destinations -------------------------------------------------------------------------------
// The machine screens take these places.

QWidget* PopoverView::makeMachinesView() {
    return placeholderScreen(QStringLiteral("Machines"), [this] { pop(); });
}

QWidget* PopoverView::makeMachineEditView(const std::optional<SavedMachine>& machine) {
    return placeholderScreen(machine ? QStringLiteral("Edit Machine")
                                     : QStringLiteral("Add Machine"),
                             [this] { pop(); });
}

QWidget* PopoverView::makeMachineInfoView(const SavedMachine& machine) {
    return placeholderScreen(machine.name, [this] { pop(); });
}
