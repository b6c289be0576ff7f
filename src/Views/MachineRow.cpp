#include "Views/MachineRow.h"

#include "State/AppState.h"
#include "Support/Desktop/Style.h"
#include "Views/Widgets/AccessibilityProperties.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/KeyboardFocus.h"
#include "Views/Widgets/PaintedButton.h"
#include "Views/Widgets/StatusDot.h"
#include "Views/Widgets/StyledLabel.h"
#include "Views/Widgets/SymbolView.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// A button without chrome whose whole rectangle takes clicks; its look is its children's. The
// row draws its focus.
class PlainButton : public PaintedButton {
public:
    explicit PlainButton(QWidget* parent)
        : PaintedButton(parent) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }

    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(); }
    QSize minimumSizeHint() const override { return layout() ? layout()->minimumSize() : QSize(); }

protected:
    void paintEvent(QPaintEvent*) override {}
    void focusLookChanged() override { parentWidget()->update(); }
};

} // namespace

MachineRow::MachineRow(AppState& appState, const SavedMachine& machine,
                       std::function<void()> onSelect, std::function<void(const Screen&)> onAction,
                       std::function<void(const SavedMachine&)> onRemove, QWidget* parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_machine(machine)
    , m_onSelect(std::move(onSelect))
    , m_onAction(std::move(onAction))
    , m_onRemove(std::move(onRemove)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(8);

    m_main = new PlainButton(this);
    auto* label = new QHBoxLayout(m_main);
    label->setContentsMargins(0, 0, 0, 0);
    label->setSpacing(10);
    m_checkmark = new SymbolView(QStringLiteral("checkmark"), 12, Style::Tone::accent, m_main);
    m_checkmark->setFrameWidth(16);
    label->addWidget(m_checkmark, 0, Qt::AlignVCenter);

    auto* lines = new QVBoxLayout;
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(1);
    m_name = new StyledLabel(QString(), Style::TextStyle::callout, QFont::Normal,
                             Style::Tone::primary, m_main);
    m_name->setElideMode(Qt::ElideRight);
    lines->addWidget(m_name);
    auto* detail = new QHBoxLayout;
    detail->setContentsMargins(0, 0, 0, 0);
    detail->setSpacing(5);
    m_dot = new StatusDot(Reachability::unknown, m_main);
    m_dot->setScale(0.8);
    detail->addWidget(m_dot, 0, Qt::AlignVCenter);
    m_detail = new StyledLabel(QString(), Style::TextStyle::caption, QFont::Normal,
                               Style::Tone::secondary, m_main);
    m_detail->setElideMode(Qt::ElideMiddle);
    detail->addWidget(m_detail, 1);
    lines->addLayout(detail);
    label->addLayout(lines, 1);
    connect(m_main, &QAbstractButton::clicked, this, [this] {
        if (m_onSelect)
            m_onSelect();
    });
    // The context menu key on the row opens its actions.
    m_main->installEventFilter(this);
    // Read as a choice among the saved machines: checked is the one designs go to.
    m_main->setProperty(Accessibility::roleProperty, int(QAccessible::RadioButton));
    row->addWidget(m_main, 1);

    m_actionsButton = new HeaderButton(QStringLiteral("ellipsis.circle"), this);
    m_actionsButton->setSymbolSize(Style::symbolSize(Style::TextStyle::title3));
    m_actionsButton->setSymbolTone(Style::Tone::secondary);
    // The menu is made when it is first wanted: a list of many machines opens faster.
    m_actionsButton->setMenu([this] { return actionsMenu(); });
    row->addWidget(m_actionsButton, 0, Qt::AlignVCenter);

    connect(&m_appState.machineList(), &MachineList::selectedMachineIDChanged, this,
            &MachineRow::refresh);
    connect(&m_appState.machineList(), &MachineList::machinesChanged, this, &MachineRow::refresh);
    connect(&m_appState.monitor(), &MachineMonitor::reachabilityChanged, this,
            &MachineRow::refresh);
    refresh();
}

QMenu* MachineRow::actionsMenu() {
    if (m_menu)
        return m_menu;
    // One menu for the actions button and the right click.
    m_menu = new QMenu(this);
    connect(m_menu->addAction(tr("Machine Info")), &QAction::triggered, this,
            [this] { m_onAction(Screen::machineInfo(m_machine)); });
    connect(m_menu->addAction(tr("Edit…")), &QAction::triggered, this,
            [this] { m_onAction(Screen::editMachine(m_machine)); });
    connect(m_menu->addAction(tr("Check Again")), &QAction::triggered, this, [this] {
        [[maybe_unused]] QCoro::Task<> check = m_appState.monitor().check(m_machine);
    });
    m_menu->addSeparator();
    connect(m_menu->addAction(tr("Remove…")), &QAction::triggered, this,
            [this] { m_onRemove(m_machine); });
    return m_menu;
}

void MachineRow::showMenu() {
    m_actionsButton->showMenu();
}

bool MachineRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_main && event->type() == QEvent::KeyPress &&
        KeyboardFocus::isMenuRequest(static_cast<QKeyEvent*>(event))) {
        showMenu();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MachineRow::setMachine(const SavedMachine& machine) {
    if (machine == m_machine)
        return;
    m_machine = machine;
    refresh();
}

bool MachineRow::isSelected() const {
    const std::optional<SavedMachine> selected = m_appState.machineList().selectedMachine();
    return selected && selected->id == m_machine.id;
}

Reachability MachineRow::reachability() const {
    return m_appState.monitor().reachabilityOf(m_machine.id);
}

QString MachineRow::reachabilityWord(Reachability reachability) {
    switch (reachability) {
    case Reachability::unknown:
        break;
    case Reachability::checking:
        return tr("Checking…");
    case Reachability::reachable:
        return tr("Reachable");
    case Reachability::unreachable:
        return tr("Unreachable");
    }
    return tr("Not checked");
}

void MachineRow::refresh() {
    const Reachability now = reachability();
    m_name->setText(m_machine.name);
    m_detail->setText(tr("%1 · %2", "the machine's address and its state")
                          .arg(m_machine.displayHost(), reachabilityWord(now)));
    m_dot->setReachability(now);
    m_checkmark->setOpacity(isSelected() ? 1 : 0);
    m_main->setToolTip(tr("Send designs to %1").arg(m_machine.name));
    m_main->setAccessibleName(m_machine.name + QStringLiteral(", ") + m_detail->fullText());
    m_main->setProperty(Accessibility::checkedProperty, isSelected());
    m_actionsButton->setToolTip(tr("Actions for %1").arg(m_machine.name));
    m_actionsButton->setAccessibleName(m_actionsButton->toolTip());
    update();
}

void MachineRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 8, 8);
    painter.fillPath(shape, Style::withOpacity(Style::color(Style::Tone::quaternary, palette()),
                                               backgroundOpacity()));
    if (static_cast<PlainButton*>(m_main)->isFocusRingVisible())
        KeyboardFocus::paintRing(painter, QRectF(rect()), 8, palette());
}

void MachineRow::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard the menu opens under the actions button, not at the pointer.
    if (event->reason() == QContextMenuEvent::Keyboard)
        showMenu();
    else
        actionsMenu()->popup(event->globalPos());
    event->accept();
}
