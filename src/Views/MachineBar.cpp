#include "Views/MachineBar.h"

#include "State/AppState.h"
#include "Support/Desktop/Style.h"
#include "Support/Desktop/Symbols.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/KeyboardFocus.h"
#include "Views/Widgets/PaintedButton.h"
#include "Views/Widgets/Spinner.h"
#include "Views/Widgets/StatusDot.h"
#include "Views/Widgets/StyledLabel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStackedLayout>
#include <QVBoxLayout>

// The selected-machine bar: one plain button the size of the whole bar, a Tab stop that
// Space and Return press.
class SelectedMachineButton : public PaintedButton {
public:
    explicit SelectedMachineButton(QWidget* parent)
        : PaintedButton(parent) {
        setAttribute(Qt::WA_Hover);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        // No chrome of its own; a faint press shade over the bar's background.
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isDown()) {
            QPainterPath shape;
            shape.addRoundedRect(QRectF(rect()), 8, 8);
            painter.fillPath(
                shape, Style::withOpacity(Style::color(Style::Tone::primary, palette()), 0.06));
        }
        if (isFocusRingVisible())
            KeyboardFocus::paintRing(painter, QRectF(rect()), 8, palette());
    }
    bool hitButton(const QPoint& position) const override {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 8, 8);
        return shape.contains(position);
    }
};

namespace {

// "Couldn't scan the network" of "Couldn't scan the network. Make sure ...", in any script.
QString firstSentence(const QString& text) {
    qsizetype end = text.indexOf(QLatin1String(". "));
    const qsizetype fullStop = text.indexOf(u'。');
    if (fullStop >= 0 && (end < 0 || fullStop < end))
        end = fullStop;
    return end < 0 ? text : text.first(end);
}

// The space at either end of a bar's row and between its parts.
constexpr int barMargin = 10;
constexpr int barSpacing = 10;

// A bar's row of parts, on `page` or (without one) for a layout of its own.
QHBoxLayout* barRow(QWidget* page = nullptr) {
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(barMargin, 0, barMargin, 0);
    row->setSpacing(barSpacing);
    return row;
}

// Two lines, leading-aligned, 1 pixel apart.
QVBoxLayout* twoLines(QHBoxLayout* row, StyledLabel* first, StyledLabel* second) {
    auto* lines = new QVBoxLayout;
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(1);
    lines->addStretch(1);
    lines->addWidget(first);
    lines->addWidget(second);
    lines->addStretch(1);
    row->addLayout(lines, 1);
    return lines;
}

// Labels inside the selected bar let clicks through to the bar's button.
template <class Widget>
Widget* passThrough(Widget* widget) {
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    return widget;
}

QString hostAndPort(const QString& host, qint64 port) {
    return port == 443 ? host : host + QLatin1Char(':') + QString::number(port);
}

} // namespace

MachineBar::MachineBar(AppState& appState, std::function<void(const Screen&)> navigate,
                       QWidget* parent)
    : FilledGroup(parent)
    , m_appState(appState)
    , m_navigate(std::move(navigate)) {
    setFixedHeight(height);
    m_pages = new QStackedLayout(this);

    // Selected machine.
    m_selected = new SelectedMachineButton(this);
    m_selected->setToolTip(tr("Choose or manage machines"));
    connect(m_selected, &QAbstractButton::clicked, this,
            [this] { m_navigate(Screen::machines()); });
    QHBoxLayout* row = barRow(m_selected);
    m_dot = passThrough(new StatusDot(Reachability::unknown, m_selected));
    row->addWidget(m_dot, 0, Qt::AlignVCenter);
    m_selectedName = passThrough(new StyledLabel({}, Style::TextStyle::callout, QFont::Medium,
                                                 Style::Tone::primary, m_selected));
    m_selectedName->setElideMode(Qt::ElideRight);
    m_selectedSubtitle = passThrough(new StyledLabel({}, Style::TextStyle::caption, QFont::Normal,
                                                     Style::Tone::secondary, m_selected));
    m_selectedSubtitle->setElideMode(Qt::ElideRight);
    twoLines(row, m_selectedName, m_selectedSubtitle);
    m_selectedSpinner = new Spinner(m_selected);
    row->addWidget(m_selectedSpinner, 0, Qt::AlignVCenter);
    m_chevron = passThrough(new QLabel(m_selected));
    m_chevron->setFixedSize(Style::symbolSize(Style::TextStyle::caption),
                            Style::symbolSize(Style::TextStyle::caption));
    row->addWidget(m_chevron, 0, Qt::AlignVCenter);
    m_pages->addWidget(m_selected);

    // A machine found on the network: its button beside the name, or under it when large text
    // would leave the name no room.
    m_found = new QWidget(this);
    auto* foundColumn = new QVBoxLayout(m_found);
    foundColumn->setContentsMargins(0, 0, 0, 0);
    foundColumn->setSpacing(0);
    // Both rows belong to the page, so the button keeps its parent (and its place in the Tab
    // order) when it moves.
    row = barRow();
    row->addStrut(height);
    foundColumn->addLayout(row);
    m_foundRow = row;
    m_foundUnder = new QHBoxLayout;
    m_foundUnder->setContentsMargins(barMargin, 0, barMargin, 0);
    m_foundUnder->addStretch(1);
    foundColumn->addLayout(m_foundUnder);
    m_foundIcon = new QLabel(m_found);
    m_foundIcon->setFixedSize(18, 18);
    row->addWidget(m_foundIcon, 0, Qt::AlignVCenter);
    m_foundTitle = new StyledLabel({}, Style::TextStyle::callout, QFont::Medium,
                                   Style::Tone::primary, m_found);
    m_foundTitle->setElideMode(Qt::ElideRight);
    m_foundTitle->installEventFilter(this);
    m_foundSubtitle = new StyledLabel({}, Style::TextStyle::caption, QFont::Normal,
                                      Style::Tone::secondary, m_found);
    m_foundSubtitle->setElideMode(Qt::ElideRight);
    twoLines(row, m_foundTitle, m_foundSubtitle);
    m_use = new ControlButton(tr("Use This Machine"), ControlButton::Kind::prominent,
                              ControlButton::Size::small, m_found);
    connect(m_use, &QAbstractButton::clicked, this, [this] {
        if (!m_appState.monitor().discovered().isEmpty())
            m_appState.monitor().addDiscovered(m_appState.monitor().discovered().first());
    });
    row->addWidget(m_use, 0, Qt::AlignVCenter);
    m_pages->addWidget(m_found);
    m_found->installEventFilter(this);

    // Nothing set up.
    m_setup = new QWidget(this);
    row = barRow(m_setup);
    m_setupSpinner = new Spinner(m_setup);
    row->addWidget(m_setupSpinner, 0, Qt::AlignVCenter);
    m_setupIcon = new QLabel(m_setup);
    m_setupIcon->setFixedSize(16, 16);
    row->addWidget(m_setupIcon, 0, Qt::AlignVCenter);
    m_setupText = new StyledLabel({}, Style::TextStyle::callout, QFont::Normal,
                                  Style::Tone::secondary, m_setup);
    // Two lines fit the bar when the text is large.
    m_setupText->setMaximumLines(2);
    row->addWidget(m_setupText, 1, Qt::AlignVCenter);
    m_setUp = new ControlButton(tr("Set Up…"), ControlButton::Kind::bordered,
                                ControlButton::Size::small, m_setup);
    connect(m_setUp, &QAbstractButton::clicked, this, [this] { m_navigate(Screen::machines()); });
    row->addWidget(m_setUp, 0, Qt::AlignVCenter);
    m_pages->addWidget(m_setup);

    // The bar names the selected machine, or the first one found, and what is known of it.
    MachineList& machines = m_appState.machineList();
    for (auto signal : {&MachineList::selectedMachineIDChanged, &MachineList::machinesChanged})
        connect(&machines, signal, this, &MachineBar::refresh);
    MachineMonitor& monitor = m_appState.monitor();
    for (auto signal :
         {&MachineMonitor::reachabilityChanged, &MachineMonitor::isDiscoveringChanged,
          &MachineMonitor::hasScannedChanged, &MachineMonitor::discoveredChanged,
          &MachineMonitor::relocatedMachineIDsChanged, &MachineMonitor::discoveryErrorChanged})
        connect(&monitor, signal, this, &MachineBar::refresh);
    refresh();
}

QString MachineBar::subtitle(const SavedMachine& machine, Reachability reachability, bool relocated,
                             bool isDiscovering) {
    switch (reachability) {
    case Reachability::unknown:
    case Reachability::checking:
        return hostAndPort(machine.host, machine.port);
    case Reachability::reachable:
        return relocated ? tr("%1 · Found at a new address").arg(machine.displayHost())
                         : tr("%1 · Ready", "the machine's address and its state")
                               .arg(machine.displayHost());
    case Reachability::unreachable:
        return isDiscovering ? tr("Not answering · Looking on the network…")
                             : tr("Not answering at %1").arg(machine.displayHost());
    }
    return {};
}

void MachineBar::refresh() {
    if (const std::optional<SavedMachine> machine = m_appState.machineList().selectedMachine()) {
        m_kind = Kind::selected;
        const Reachability r = m_appState.monitor().reachabilityOf(machine->id);
        const bool discovering = m_appState.monitor().isDiscovering();
        m_dot->setReachability(r);
        m_selectedName->setText(machine->name);
        m_selectedSubtitle->setText(
            subtitle(*machine, r, m_appState.monitor().relocatedMachineIDs().contains(machine->id),
                     discovering));
        m_selectedSubtitle->setTone(r == Reachability::unreachable ? Style::Tone::red
                                                                   : Style::Tone::secondary);
        m_selectedSpinner->setVisible(r == Reachability::checking ||
                                      (r == Reachability::unreachable && discovering));
        // Read as one control: the machine and its state; the tooltip says what it does.
        m_selected->setAccessibleName(machine->name + QStringLiteral(", ") +
                                      m_selectedSubtitle->fullText());
        m_iconName = QStringLiteral("chevron.right");
        setIcon(m_chevron, m_iconName, Style::symbolSize(Style::TextStyle::caption),
                Style::Tone::tertiary);
        m_pages->setCurrentWidget(m_selected);
    } else if (!m_appState.monitor().discovered().isEmpty()) {
        m_kind = Kind::found;
        const MachineInfo& info = m_appState.monitor().discovered().first();
        m_foundTitle->setText(info.name ? tr("Found %1", "a machine's name").arg(*info.name)
                                        : tr("Found a Brother machine"));
        m_foundSubtitle->setText(hostAndPort(info.host, info.port));
        m_iconName = QStringLiteral("dot.radiowaves.left.and.right");
        setIcon(m_foundIcon, m_iconName, 18, Style::Tone::green);
        m_pages->setCurrentWidget(m_found);
        fitFoundTitle();
    } else {
        m_kind = Kind::setup;
        const bool discovering = m_appState.monitor().isDiscovering();
        m_setupSpinner->setVisible(discovering);
        m_setupIcon->setVisible(!discovering);
        m_iconName = discovering ? QString() : QStringLiteral("questionmark.circle");
        if (!discovering)
            setIcon(m_setupIcon, m_iconName, 16, Style::Tone::secondary);
        // A scan that could not run says so, as the machines list does, in its first sentence.
        const std::optional<QString>& failure = m_appState.monitor().discoveryError();
        m_setupText->setText(discovering ? tr("Looking for your machine…")
                             : failure   ? firstSentence(*failure)
                             : m_appState.monitor().hasScanned()
                                 ? tr("No machine found on this network")
                                 : tr("No machine set up"));
        m_setupText->setToolTip(!discovering && failure ? *failure : QString());
        m_pages->setCurrentWidget(m_setup);
    }
    placeUseButton();
}

void MachineBar::placeUseButton() {
    // Beside the name while the name keeps most of the room it needs; under it otherwise.
    const int inner = m_found->width() - 2 * barMargin;
    const int beside = inner - m_foundIcon->width() - m_use->sizeHint().width() - 2 * barSpacing;
    const int needed = m_foundTitle->fontMetrics().horizontalAdvance(m_foundTitle->fullText());
    const bool under = m_found->width() > 0 && beside < needed && beside < inner * 45 / 100;
    if (under != m_useUnder) {
        m_useUnder = under;
        if (under) {
            m_foundRow->removeWidget(m_use);
            m_foundUnder->addWidget(m_use);
        } else {
            m_foundUnder->removeWidget(m_use);
            m_foundRow->addWidget(m_use, 0, Qt::AlignVCenter);
        }
        // The second row takes room only while it holds the button.
        m_found->layout()->setSpacing(under ? underSpacing : 0);
        m_foundUnder->setContentsMargins(barMargin, 0, barMargin, under ? underPadding : 0);
    }
    const int wanted = m_kind == Kind::found && m_useUnder
                           ? height + underSpacing + m_use->sizeHint().height() + underPadding
                           : height;
    if (QWidget::height() != wanted || minimumHeight() != wanted)
        setFixedHeight(wanted);
}

void MachineBar::fitFoundTitle() {
    const int width = m_foundTitle->contentsRect().width();
    const bool fits = width <= 0 || m_foundTitle->fontMetrics().horizontalAdvance(
                                        m_foundTitle->fullText()) <= width;
    m_found->setToolTip(fits ? QString()
                             : m_foundTitle->fullText() + QLatin1Char('\n') +
                                   m_foundSubtitle->fullText());
}

bool MachineBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_foundTitle && event->type() == QEvent::Resize)
        fitFoundTitle();
    if (watched == m_found && event->type() == QEvent::Resize)
        placeUseButton();
    return QWidget::eventFilter(watched, event);
}

void MachineBar::setIcon(QLabel* label, const QString& symbol, int size, Style::Tone tone) {
    label->setPixmap(
        Symbols::pixmap(symbol, size, Style::color(tone, palette()), devicePixelRatioF()));
}

QString MachineBar::title() const {
    switch (m_kind) {
    case Kind::selected:
        return m_selectedName->fullText();
    case Kind::found:
        return m_foundTitle->fullText();
    case Kind::setup:
        return m_setupText->fullText();
    }
    return {};
}

QString MachineBar::subtitle() const {
    switch (m_kind) {
    case Kind::selected:
        return m_selectedSubtitle->fullText();
    case Kind::found:
        return m_foundSubtitle->fullText();
    case Kind::setup:
        break;
    }
    return {};
}

bool MachineBar::isSubtitleRed() const {
    return m_kind == Kind::selected && m_selectedSubtitle->tone() == Style::Tone::red;
}

bool MachineBar::isSpinnerShown() const {
    switch (m_kind) {
    case Kind::selected:
        return m_selectedSpinner->isVisibleTo(m_selected);
    case Kind::setup:
        return m_setupSpinner->isVisibleTo(m_setup);
    case Kind::found:
        break;
    }
    return false;
}

Reachability MachineBar::dotReachability() const {
    return m_dot->reachability();
}

ControlButton* MachineBar::actionButton() const {
    switch (m_kind) {
    case Kind::found:
        return m_use;
    case Kind::setup:
        return m_setUp;
    case Kind::selected:
        break;
    }
    return nullptr;
}

QWidget* MachineBar::selectedButton() const {
    return m_selected;
}

void MachineBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        refresh();
    QWidget::changeEvent(event);
}
