#include "Views/MachinesView.h"

#include "State/AppState.h"
#include "Support/Desktop/Style.h"
#include "Views/MachineRow.h"
#include "Views/Widgets/ButtonBar.h"
#include "Views/Widgets/ConfirmationSheet.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/Divider.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/ScreenHeader.h"
#include "Views/Widgets/Spinner.h"
#include "Views/Widgets/StyledLabel.h"
#include "Views/Widgets/SymbolView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

const QString MachinesView::longHint = QStringLiteral(QT_TRANSLATE_NOOP(
    "MachinesView",
    "No machines found. Make sure the machine is on and its wireless LAN is enabled, or add it by "
    "the IP address shown in its wireless LAN settings."));

// --- DiscoveredRow -------------------------------------------------------------------------------

DiscoveredRow::DiscoveredRow(const MachineInfo& info, std::function<void()> onAdd, QWidget* parent)
    : FilledGroup(parent)
    , m_info(info) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(10);
    auto* symbol = new SymbolView(QStringLiteral("dot.radiowaves.left.and.right"), 14,
                                  Style::Tone::green, this);
    symbol->setFrameWidth(16);
    row->addWidget(symbol, 0, Qt::AlignVCenter);

    auto* lines = new QVBoxLayout;
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(1);
    auto* name = new StyledLabel(title(), Style::TextStyle::callout, QFont::Normal,
                                 Style::Tone::primary, this);
    name->setElideMode(Qt::ElideRight);
    lines->addWidget(name);
    auto* host = new StyledLabel(address(), Style::TextStyle::caption, QFont::Normal,
                                 Style::Tone::secondary, this);
    host->setElideMode(Qt::ElideMiddle);
    lines->addWidget(host);
    row->addLayout(lines, 1);

    m_add = new ControlButton(tr("Add", "adds a found machine"), ControlButton::Kind::prominent,
                              ControlButton::Size::small, this);
    // Several rows may offer "Add": each says which machine it adds.
    m_add->setAccessibleDescription(title() + QStringLiteral(", ") + address());
    connect(m_add, &QAbstractButton::clicked, this, [onAdd = std::move(onAdd)] { onAdd(); });
    row->addWidget(m_add, 0, Qt::AlignVCenter);
}

QString DiscoveredRow::title() const {
    return m_info.name.value_or(tr("Brother machine"));
}

QString DiscoveredRow::address() const {
    return displayHostText(m_info.host, m_info.port);
}

// --- MachinesView --------------------------------------------------------------------------------

MachinesView::MachinesView(AppState& appState, std::function<void(const Screen&)> navigate,
                           std::function<void()> onBack, QWidget* parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_navigate(std::move(navigate))
    , m_onBack(std::move(onBack)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_header = new ScreenHeader(
        tr("Machines"), [this] { m_onBack(); }, this);
    column->addWidget(m_header);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    // The rows are the Tab stops; the list scrolls to the one that takes the focus.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(m_scroll);
    content->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(12, 12, 12, 12);
    sections->setSpacing(16);
    m_savedSection = makeSection(tr("Saved", "the saved machines"), &m_savedRows);
    sections->addWidget(m_savedSection);
    QWidget* network = makeSection(tr("On This Network"), &m_networkRows);
    sections->addWidget(network);
    sections->addStretch(1);

    // The network status: one of the spinner, the warning or a text, under the found machines.
    auto* status = new QWidget(network);
    auto* statusColumn = new QVBoxLayout(status);
    statusColumn->setContentsMargins(4, 6, 4, 6);
    statusColumn->setSpacing(0);
    m_progress = new QWidget(status);
    auto* progress = new QHBoxLayout(m_progress);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->setSpacing(8);
    progress->addWidget(new Spinner(m_progress), 0, Qt::AlignVCenter);
    progress->addWidget(new StyledLabel(tr("Scanning your network…"), Style::TextStyle::caption,
                                        QFont::Normal, Style::Tone::secondary, m_progress),
                        1, Qt::AlignVCenter);
    statusColumn->addWidget(m_progress);
    m_error = new QWidget(status);
    auto* error = new QHBoxLayout(m_error);
    error->setContentsMargins(0, 0, 0, 0);
    error->setSpacing(6);
    error->addWidget(new SymbolView(QStringLiteral("exclamationmark.triangle"), 12,
                                    Style::Tone::orange, m_error),
                     0, Qt::AlignTop);
    m_errorText = new StyledLabel(QString(), Style::TextStyle::caption, QFont::Normal,
                                  Style::Tone::orange, m_error);
    m_errorText->setMaximumLines(0);
    error->addWidget(m_errorText, 1);
    statusColumn->addWidget(m_error);
    m_statusText = new StyledLabel(QString(), Style::TextStyle::caption, QFont::Normal,
                                   Style::Tone::secondary, status);
    m_statusText->setMaximumLines(0);
    statusColumn->addWidget(m_statusText);
    m_networkRows->addWidget(status);

    m_scroll->setWidget(content);
    column->addWidget(m_scroll, 1);
    column->addWidget(new Divider(this));
    column->addWidget(makeBottomBar());

    m_sheet = new ConfirmationSheet(this);
    m_sheet->setBlockedWhilePresented(m_header);

    connect(&m_appState.machineList(), &MachineList::machinesChanged, this, [this] {
        updateSaved();
        updateStatus();
    });
    connect(&m_appState.monitor(), &MachineMonitor::discoveredChanged, this,
            &MachinesView::updateDiscovered);
    connect(&m_appState.monitor(), &MachineMonitor::isDiscoveringChanged, this,
            &MachinesView::updateStatus);
    connect(&m_appState.monitor(), &MachineMonitor::hasScannedChanged, this,
            &MachinesView::updateStatus);
    connect(&m_appState.monitor(), &MachineMonitor::discoveryErrorChanged, this,
            &MachinesView::updateStatus);
    updateSaved();
    updateDiscovered();
    updateStatus();
}

QWidget* MachinesView::makeSection(const QString& title, QVBoxLayout** content) {
    auto* section = new QWidget(this);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* heading = new StyledLabel(title, Style::TextStyle::caption, QFont::DemiBold,
                                    Style::Tone::secondary, section);
    heading->setContentsMargins(4, 0, 4, 0);
    column->addWidget(heading);
    *content = new QVBoxLayout;
    (*content)->setContentsMargins(0, 0, 0, 0);
    (*content)->setSpacing(2);
    column->addLayout(*content);
    return section;
}

QWidget* MachinesView::makeBottomBar() {
    m_scan = new ControlButton(tr("Scan Network"), ControlButton::Kind::bordered,
                               ControlButton::Size::regular, this);
    m_scan->setSymbol(QStringLiteral("arrow.clockwise"));
    connect(m_scan, &QAbstractButton::clicked, this,
            [this] { [[maybe_unused]] QCoro::Task<> scan = m_appState.monitor().discover(); });
    m_addByAddress = new ControlButton(tr("Add by Address…"), ControlButton::Kind::bordered,
                                       ControlButton::Size::regular, this);
    m_addByAddress->setSymbol(QStringLiteral("plus"));
    connect(m_addByAddress, &QAbstractButton::clicked, this,
            [this] { m_navigate(Screen::addMachine()); });
    return new ButtonBar(m_scan, m_addByAddress, this);
}

QList<MachineRow*> MachinesView::rows() const {
    QList<MachineRow*> ordered;
    for (int index = 0; index < m_savedRows->count(); ++index) {
        if (auto* row = qobject_cast<MachineRow*>(m_savedRows->itemAt(index)->widget()))
            ordered.append(row);
    }
    return ordered;
}

QList<DiscoveredRow*> MachinesView::discoveredRows() const {
    return m_discovered;
}

void MachinesView::updateSaved() {
    // Rows are kept by machine id, so a row that stays keeps its widgets (an open menu, the
    // pointer over it) while others come and go.
    const QList<SavedMachine>& machines = m_appState.machineList().machines();
    QHash<QUuid, MachineRow*> kept;
    for (qsizetype index = 0; index < machines.size(); ++index) {
        const SavedMachine& machine = machines[index];
        MachineRow* row = m_rowsByID.take(machine.id);
        if (row) {
            row->setMachine(machine);
            m_savedRows->removeWidget(row);
        } else {
            const QUuid id = machine.id;
            row = new MachineRow(
                m_appState, machine,
                [this, id] {
                    if (const std::optional<SavedMachine> saved =
                            m_appState.machineList().savedMachine(id))
                        m_appState.machineList().selectMachine(*saved);
                    m_onBack();
                },
                [this](const Screen& screen) { m_navigate(screen); },
                [this](const SavedMachine& chosen) { askToRemove(chosen); }, m_savedSection);
        }
        m_savedRows->insertWidget(static_cast<int>(index), row);
        kept.insert(machine.id, row);
    }
    for (MachineRow* gone : std::as_const(m_rowsByID)) {
        m_savedRows->removeWidget(gone);
        gone->hide();
        gone->deleteLater();
    }
    m_rowsByID = kept;
    m_savedSection->setVisible(!machines.isEmpty());
    orderTabStops();
}

void MachinesView::orderTabStops() {
    // Top to bottom as the screen reads, whenever rows come and go.
    QList<QWidget*> stops{m_header->backButton()};
    for (MachineRow* row : rows())
        stops << row->mainButton() << row->actionsButton();
    for (DiscoveredRow* row : std::as_const(m_discovered))
        stops << row->addButton();
    stops << m_scan << m_addByAddress;
    for (qsizetype index = 1; index < stops.size(); ++index)
        QWidget::setTabOrder(stops[index - 1], stops[index]);
}

void MachinesView::updateDiscovered() {
    for (DiscoveredRow* row : std::as_const(m_discovered)) {
        m_networkRows->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    m_discovered.clear();
    const QList<MachineInfo>& found = m_appState.monitor().discovered();
    for (qsizetype index = 0; index < found.size(); ++index) {
        const MachineInfo info = found[index];
        auto* row = new DiscoveredRow(
            info, [this, info] { m_appState.monitor().addDiscovered(info); },
            m_networkRows->parentWidget());
        m_networkRows->insertWidget(static_cast<int>(index), row);
        m_discovered.append(row);
    }
    orderTabStops();
    updateStatus();
}

void MachinesView::updateStatus() {
    const bool discovering = m_appState.monitor().isDiscovering();
    const std::optional<QString>& error = m_appState.monitor().discoveryError();
    QString text;
    if (!discovering && !error && m_appState.monitor().hasScanned() &&
        m_appState.monitor().discovered().isEmpty())
        text = m_appState.machineList().machines().isEmpty() ? tr(qUtf8Printable(longHint))
                                                             : tr("No other machines found.");
    m_progress->setVisible(discovering);
    m_error->setVisible(!discovering && error.has_value());
    m_errorText->setText(error.value_or(QString()));
    m_statusText->setText(text);
    m_statusText->setVisible(!text.isEmpty());
    m_progress->parentWidget()->setVisible(discovering || error || !text.isEmpty());
    m_scan->setEnabled(!discovering);
}

QString MachinesView::networkStatus() const {
    if (m_progress->isVisibleTo(this))
        return tr("Scanning your network…");
    if (m_error->isVisibleTo(this))
        return m_errorText->fullText();
    return m_statusText->isVisibleTo(this) ? m_statusText->fullText() : QString();
}

bool MachinesView::isShowingScanProgress() const {
    return m_progress->isVisibleTo(this);
}

bool MachinesView::isShowingScanError() const {
    return m_error->isVisibleTo(this);
}

void MachinesView::askToRemove(const SavedMachine& machine) {
    m_machineToRemove = machine;
    m_sheet->present(
        tr("Remove this machine?"), tr("Remove %1").arg(machine.name),
        [this] {
            if (m_machineToRemove)
                m_appState.machineList().removeMachine(*m_machineToRemove);
            m_machineToRemove.reset();
        },
        [this] { m_machineToRemove.reset(); });
}

void MachinesView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Until a scan has finished, coming into view starts one (unless one runs already).
    if (!m_appState.monitor().hasScanned() && !m_appState.monitor().isDiscovering())
        [[maybe_unused]]
        QCoro::Task<> scan = m_appState.monitor().discover();
}
