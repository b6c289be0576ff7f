#include "Views/MachineInfoView.h"

#include "State/AppState.h"
#include "Support/ByteCountFormat.h"
#include "Support/Desktop/Style.h"
#include "Views/MachineRow.h"
#include "Views/Widgets/BreakAnywhereText.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/FormSection.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/ScreenHeader.h"
#include "Views/Widgets/StatusDot.h"
#include "Views/Widgets/StyledLabel.h"
#include "Views/Widgets/SymbolView.h"
#include "Views/Widgets/WrappedText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTextEdit>

#include <QVBoxLayout>

const QString MachineInfoView::notAnsweringMessage = QStringLiteral(QT_TRANSLATE_NOOP(
    "MachineInfoView",
    "The machine isn't answering. Make sure it's on, with wireless LAN enabled, on the same "
    "network as this computer."));

const QString MachineInfoView::changedCertificateMessage = QStringLiteral(QT_TRANSLATE_NOOP(
    "MachineInfoView",
    "The machine is now presenting a different certificate. That's expected after a firmware "
    "update or reset; otherwise another device may be using this address."));

MachineInfoView::MachineInfoView(AppState& appState, const SavedMachine& machine,
                                 std::function<void()> onBack, std::function<void()> onEdit,
                                 QWidget* parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_machine(machine)
    , m_onBack(std::move(onBack))
    , m_onEdit(std::move(onEdit)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_header = new ScreenHeader(
        machine.name, [this] { m_onBack(); }, this);
    m_check = new HeaderButton(QStringLiteral("arrow.clockwise"));
    m_check->setToolTip(tr("Check Again"));
    m_check->setAccessibleName(tr("Check Again"));
    connect(m_check, &QAbstractButton::clicked, this, &MachineInfoView::refresh);
    m_header->addTrailing(m_check);
    m_edit = new HeaderButton(QStringLiteral("pencil"));
    m_edit->setToolTip(tr("Edit Machine"));
    m_edit->setAccessibleName(tr("Edit Machine"));
    connect(m_edit, &QAbstractButton::clicked, this, [this] { m_onEdit(); });
    m_header->addTrailing(m_edit);
    column->addWidget(m_header);

    const FormColumn form = makeFormColumn(this);
    QScrollArea* scroll = form.scroll;
    QWidget* content = form.content;
    QVBoxLayout* sections = form.sections;

    m_machineSection = new FormSection(QString(), content);
    m_machineSection->setTextSelectable(true);
    addValueRow(m_machineSection, tr("Address"));
    m_status = new QWidget;
    auto* status = new QHBoxLayout(m_status);
    status->setContentsMargins(0, 0, 0, 0);
    status->setSpacing(5);
    status->addStretch(1);
    m_dot = new StatusDot(Reachability::unknown, m_status);
    status->addWidget(m_dot, 0, Qt::AlignVCenter);
    m_statusWord = new StyledLabel(QString(), Style::TextStyle::body, QFont::Normal,
                                   Style::Tone::secondary, m_status);
    m_statusWord->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status->addWidget(m_statusWord);
    m_machineSection->addRow(tr("Status"), m_status);
    addValueRow(m_machineSection, tr("Model"));
    sections->addWidget(m_machineSection);

    m_reportSection = new FormSection(tr("Reported by the Machine"), content);
    m_reportSection->setTextSelectable(true);
    for (const QString& label : {tr("Name"), tr("Serial"), tr("Firmware"), tr("Embroidery area"),
                                 tr("Needles"), tr("Largest design")})
        addValueRow(m_reportSection, label);
    sections->addWidget(m_reportSection);

    m_notAnsweringSection = new FormSection(QString(), content);
    m_notAnswering = new WrappedText(tr(qUtf8Printable(notAnsweringMessage)),
                                     Style::font(Style::TextStyle::body), Style::Tone::secondary,
                                     m_notAnsweringSection);
    m_notAnsweringSection->addRow(m_notAnswering);
    sections->addWidget(m_notAnsweringSection);

    m_certificateSection = new FormSection(tr("Certificate (SHA-256)"), content);
    m_certificateSection->setTextSelectable(true);
    auto* certificate = new QWidget;
    auto* certificateColumn = new QVBoxLayout(certificate);
    certificateColumn->setContentsMargins(0, 0, 0, 0);
    certificateColumn->setSpacing(10);
    m_fingerprint = new BreakAnywhereText(Style::monospaced(Style::TextStyle::caption),
                                          Style::Tone::primary, certificate);
    // A Tab stop, so the keyboard can select and copy it.
    m_fingerprint->setAccessibleName(tr("Certificate (SHA-256)"));
    certificateColumn->addWidget(m_fingerprint);

    m_warning = new QWidget(certificate);
    auto* warning = new QVBoxLayout(m_warning);
    warning->setContentsMargins(0, 0, 0, 0);
    warning->setSpacing(6);
    auto* warningLine = new QHBoxLayout;
    warningLine->setContentsMargins(0, 0, 0, 0);
    warningLine->setSpacing(6);
    warningLine->addWidget(new SymbolView(QStringLiteral("exclamationmark.shield.fill"),
                                          Style::symbolSize(Style::TextStyle::caption),
                                          Style::Tone::orange, m_warning),
                           0, Qt::AlignTop);
    m_warningText =
        new WrappedText(tr(qUtf8Printable(changedCertificateMessage)),
                        Style::font(Style::TextStyle::caption), Style::Tone::orange, m_warning);
    warningLine->addWidget(m_warningText, 1);
    warning->addLayout(warningLine);
    m_trust = new ControlButton(tr("Trust New Certificate"), ControlButton::Kind::bordered,
                                ControlButton::Size::small, m_warning);
    connect(m_trust, &QAbstractButton::clicked, this,
            [this] { m_appState.monitor().trustCurrentCertificate(current()); });
    warning->addWidget(m_trust, 0, Qt::AlignLeft);
    certificateColumn->addWidget(m_warning);
    m_certificateSection->addRow(certificate);
    sections->addWidget(m_certificateSection);
    sections->addStretch(1);

    scroll->setWidget(content);
    column->addWidget(scroll, 1);

    connect(&m_appState.machineList(), &MachineList::machinesChanged, this,
            &MachineInfoView::updateContent);
    connect(&m_appState.monitor(), &MachineMonitor::machineInfoChanged, this,
            &MachineInfoView::updateContent);
    connect(&m_appState.monitor(), &MachineMonitor::reachabilityChanged, this,
            &MachineInfoView::updateContent);
    updateContent();
}

StyledLabel* MachineInfoView::addValueRow(FormSection* section, const QString& label) {
    auto* value =
        new StyledLabel(QString(), Style::TextStyle::body, QFont::Normal, Style::Tone::secondary);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setElideMode(Qt::ElideMiddle);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    section->addRow(label, value);
    m_values.insert(label, value);
    return value;
}

SavedMachine MachineInfoView::current() const {
    return m_appState.machineList().savedMachine(m_machine.id).value_or(m_machine);
}

std::optional<MachineInfo> MachineInfoView::info() const {
    const auto found = m_appState.monitor().machineInfo().constFind(m_machine.id);
    if (found == m_appState.monitor().machineInfo().cend())
        return std::nullopt;
    return *found;
}

Reachability MachineInfoView::reachability() const {
    return m_appState.monitor().reachabilityOf(m_machine.id);
}

QString MachineInfoView::fingerprintText() const {
    return m_fingerprint->toPlainText();
}

QString MachineInfoView::value(const QString& label) const {
    if (label == tr("Status"))
        return m_statusWord->fullText();
    StyledLabel* shown = m_values.value(label);
    if (!shown || !shown->isVisibleTo(this))
        return {};
    return shown->fullText();
}

void MachineInfoView::updateContent() {
    const SavedMachine machine = current();
    const std::optional<MachineInfo> reported = info();
    const Reachability now = reachability();
    m_header->setTitle(machine.name);

    const auto show = [this](FormSection* section, const QString& label,
                             const std::optional<QString>& text) {
        StyledLabel* value = m_values.value(label);
        value->setText(text.value_or(QString()));
        section->setRowVisible(value, text.has_value());
    };
    show(m_machineSection, tr("Address"), machine.displayHost());
    m_dot->setReachability(now);
    m_statusWord->setText(MachineRow::reachabilityWord(now));
    show(m_machineSection, tr("Model"), machine.model);

    m_reportSection->setVisible(reported.has_value());
    if (reported) {
        const auto number = [](const std::optional<qint64>& value) -> std::optional<QString> {
            return value ? std::optional(QLocale().toString(*value)) : std::nullopt;
        };
        show(m_reportSection, tr("Name"), reported->name);
        show(m_reportSection, tr("Serial"), reported->serial);
        show(m_reportSection, tr("Firmware"), reported->firmwareVersion);
        show(m_reportSection, tr("Embroidery area"), reported->embroideryAreaText());
        show(m_reportSection, tr("Needles"), number(reported->needles));
        show(m_reportSection, tr("Largest design"),
             reported->maxUploadBytes
                 ? std::optional(ByteCountFormat::fileSize(*reported->maxUploadBytes))
                 : std::nullopt);
    }
    m_notAnsweringSection->setVisible(!reported && now == Reachability::unreachable);

    const std::optional<QString> fingerprint =
        machine.fingerprint ? machine.fingerprint
                            : (reported ? reported->certificateFingerprint : std::nullopt);
    m_certificateSection->setVisible(fingerprint.has_value());
    static_cast<BreakAnywhereText*>(m_fingerprint)->setText(fingerprint.value_or(QString()));
    m_warning->setVisible(m_appState.monitor().certificateChanged(machine));
}

void MachineInfoView::refresh() {
    startRefresh(nullptr);
}

void MachineInfoView::startRefresh(QObject* boundTo) {
    [[maybe_unused]] QCoro::Task<> running = runRefresh(this, &m_appState, current(), boundTo);
}

QCoro::Task<> MachineInfoView::runRefresh(QPointer<MachineInfoView> view, AppState* appState,
                                          SavedMachine machine, QPointer<QObject> boundTo) {
    view->setLoading(true);
    co_await appState->monitor().check(machine, boundTo);
    if (view)
        view->setLoading(false);
}

void MachineInfoView::setLoading(bool loading) {
    m_loading = loading;
    m_check->setBusy(loading);
    m_check->setEnabled(!loading);
}

void MachineInfoView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_display)
        return;
    // A check for as long as the screen is on display: leaving it cancels the check.
    m_display = new QObject(this);
    startRefresh(m_display);
}

void MachineInfoView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    delete m_display;
}
