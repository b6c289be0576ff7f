#include "Views/MachineEditView.h"

#include "Networking/BrotherAPIClient.h"
#include "Networking/CertificateTrustSession.h"
#include "State/AppState.h"
#include "Support/Desktop/Style.h"
#include "Views/Widgets/ButtonBar.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/Divider.h"
#include "Views/Widgets/FormSection.h"
#include "Views/Widgets/ScreenHeader.h"
#include "Views/Widgets/Spinner.h"
#include "Views/Widgets/StyledLabel.h"
#include "Views/Widgets/SymbolView.h"
#include "Views/Widgets/TextField.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// Spaces and tabs only: other white space in a field is not something people type by mistake.
QString trimSpacesAndTabs(const QString& text) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && blank(text[start]))
        ++start;
    while (end > start && blank(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

QString failedText() {
    return MachineEditView::tr("No machine answered at this address. Check the IP, and that the "
                               "machine is on with wireless LAN enabled.");
}

QLineEdit* makeField(const QString& text, const QString& placeholder, QWidget* parent) {
    auto* field = new TextField(text, parent);
    field->setPlaceholderText(placeholder);
    field->setFont(Style::font(Style::TextStyle::body));
    return field;
}

} // namespace

MachineEditView::MachineEditView(AppState& appState, std::optional<SavedMachine> machine,
                                 std::function<void()> onFinish, QWidget* parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_machine(std::move(machine))
    , m_onFinish(std::move(onFinish)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = new ScreenHeader(
        m_machine ? tr("Edit Machine") : tr("Add Machine"), [this] { m_onFinish(); }, this);
    column->addWidget(m_header);
    column->addWidget(makeForm(), 1);
    column->addWidget(new Divider(this));
    column->addWidget(makeBottomBar());
    updateConnectionRow();
    updateControls();
}

void MachineEditView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A new machine starts at its address: typing goes there at once.
    if (!m_wasShown && !m_machine)
        m_host->setFocus(Qt::OtherFocusReason);
    m_wasShown = true;
}

QWidget* MachineEditView::makeForm() {
    const FormColumn form = makeFormColumn(this);
    QScrollArea* scroll = form.scroll;
    QWidget* content = form.content;
    QVBoxLayout* sections = form.sections;

    auto* address = new FormSection(QString(), content);
    m_host = makeField(m_machine ? m_machine->host : QString(), tr("e.g. 192.168.1.50"), address);
    m_host->setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhPreferLatin);
    address->addRow(tr("IP address"), m_host);
    m_port = makeField(m_machine ? QString::number(m_machine->port) : QStringLiteral("443"),
                       QString(), address);
    m_port->setInputMethodHints(Qt::ImhDigitsOnly);
    address->addRow(tr("Port"), m_port);
    address->setFooter(tr("Find the IP address in the machine's wireless LAN settings."));
    sections->addWidget(address);

    auto* naming = new FormSection(QString(), content);
    m_name = makeField(m_machine ? m_machine->name : QString(), tr("My machine"), naming);
    naming->addRow(tr("Name"), m_name);
    m_model = makeField(m_machine ? m_machine->model.value_or(QString()) : QString(),
                        tr("Optional"), naming);
    naming->addRow(tr("Model"), m_model);
    sections->addWidget(naming);

    // The fields of both sections start at the same place, after the widest label.
    const QFontMetrics metrics(Style::font(Style::TextStyle::body));
    int labelWidth = 0;
    for (const QString& label : {tr("IP address"), tr("Port"), tr("Name"), tr("Model")})
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label));
    address->setLabelWidth(labelWidth);
    naming->setLabelWidth(labelWidth);

    auto* connection = new FormSection(QString(), content);
    connection->addRow(makeConnectionRow());
    sections->addWidget(connection);
    sections->addStretch(1);
    scroll->setWidget(content);

    // Any edit of the address or port makes an earlier test say nothing about it.
    connect(m_host, &QLineEdit::textChanged, this, &MachineEditView::fieldsEdited);
    connect(m_port, &QLineEdit::textChanged, this, &MachineEditView::fieldsEdited);
    // Return tests in the address field and saves elsewhere (the default button).
    connect(m_host, &QLineEdit::returnPressed, this, &MachineEditView::testConnection);
    for (QLineEdit* field : {m_port, m_name, m_model}) {
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (canSave())
                save();
        });
    }
    return scroll;
}

QWidget* MachineEditView::makeConnectionRow() {
    auto* row = new QWidget(this);
    auto* lines = new QVBoxLayout(row);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(3);
    auto* top = new QHBoxLayout;
    m_connectionLine = top;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(6);
    m_connectionSymbol =
        new SymbolView(QStringLiteral("circle.dashed"), Style::symbolSize(Style::TextStyle::body),
                       Style::Tone::secondary, row);
    top->addWidget(m_connectionSymbol, 0, Qt::AlignTop);
    m_connectionSpinner = new Spinner(row);
    top->addWidget(m_connectionSpinner, 0, Qt::AlignVCenter);
    m_connectionText = new StyledLabel(QString(), Style::TextStyle::body, QFont::Normal,
                                       Style::Tone::secondary, row);
    m_connectionText->setMaximumLines(0);
    top->addWidget(m_connectionText, 1);
    lines->addLayout(top);
    m_connectionDetails = new StyledLabel(QString(), Style::TextStyle::caption, QFont::Normal,
                                          Style::Tone::secondary, row);
    m_connectionDetails->setElideMode(Qt::ElideRight);
    lines->addWidget(m_connectionDetails);
    return row;
}

QWidget* MachineEditView::makeBottomBar() {
    m_test = new ControlButton(tr("Test Connection"), ControlButton::Kind::bordered,
                               ControlButton::Size::regular, this);
    connect(m_test, &QAbstractButton::clicked, this, &MachineEditView::testConnection);
    m_save = new ControlButton(m_machine ? tr("Save") : tr("Add Machine"),
                               ControlButton::Kind::prominent, ControlButton::Size::regular, this);
    m_save->setDefault(true);
    connect(m_save, &QAbstractButton::clicked, this, &MachineEditView::save);
    return new ButtonBar(m_test, m_save, this);
}

std::optional<qint64> MachineEditView::parsePort(const QString& text) {
    QString digits = trimSpacesAndTabs(text);
    if (digits.startsWith(u'+'))
        digits.remove(0, 1);
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    if (digits.isEmpty() || !std::all_of(digits.cbegin(), digits.cend(),
                                         [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (!ok || negative || value < 1 || value > 65535)
        return std::nullopt;
    return value;
}

std::optional<qint64> MachineEditView::parsedPort() const {
    return parsePort(m_port->text());
}

bool MachineEditView::canSave() const {
    return SavedMachine::normalizeHost(m_host->text()) && parsedPort() &&
           m_connectionState.kind != ConnectionState::Kind::checking;
}

void MachineEditView::testConnection() {
    const std::optional<QString> host = SavedMachine::normalizeHost(m_host->text());
    const std::optional<qint64> port = parsedPort();
    if (!host || !port)
        return;
    setConnectionState(ConnectionState::checking());
    [[maybe_unused]] QCoro::Task<> test = runTest(this, *host, *port);
}

QCoro::Task<> MachineEditView::runTest(QPointer<MachineEditView> view, QString host, qint64 port) {
    const BrotherAPIClient client(host, port, CertificateTrustSession::shared());
    const std::optional<MachineInfo> info = co_await client.fetchInfo(testTimeout);
    // A screen that has gone meanwhile never sees the answer.
    if (view)
        view->finishTest(host, port, info);
}

void MachineEditView::finishTest(const QString& host, qint64 port,
                                 const std::optional<MachineInfo>& info) {
    // An answer about an address the fields no longer hold would pin another machine's
    // certificate and identifier on save; the edit already said "Not tested yet".
    if (SavedMachine::normalizeHost(m_host->text()) != host || parsedPort() != port)
        return;
    setConnectionState(info ? ConnectionState::ok(*info) : ConnectionState::failed());
}

void MachineEditView::save() {
    const std::optional<QString> host = SavedMachine::normalizeHost(m_host->text());
    const std::optional<qint64> port = parsedPort();
    if (!host || !port)
        return;
    // The edited machine as saved now: a check may have pinned it since this screen opened.
    std::optional<SavedMachine> edited = m_machine;
    if (m_machine) {
        if (std::optional<SavedMachine> saved =
                m_appState.machineList().savedMachine(m_machine->id))
            edited = std::move(saved);
    }
    const bool sameAddress = m_machine && m_machine->host == *host && m_machine->port == *port;
    const std::optional<MachineInfo> info =
        m_connectionState.kind == ConnectionState::Kind::ok ? m_connectionState.info : std::nullopt;

    SavedMachine record;
    record.id = m_machine ? m_machine->id : QUuid::createUuid();
    const QString typedName = trimSpacesAndTabs(m_name->text());
    if (!typedName.isEmpty())
        record.name = typedName;
    else if (info && info->name)
        record.name = *info->name;
    else
        record.name = *host;
    record.host = *host;
    record.port = *port;
    if (!trimSpacesAndTabs(m_model->text()).isEmpty())
        record.model = m_model->text();
    if (info && info->certificateFingerprint)
        record.fingerprint = info->certificateFingerprint;
    else if (sameAddress)
        record.fingerprint = edited->fingerprint;
    if (info && info->machineID)
        record.machineID = info->machineID;
    else if (sameAddress)
        record.machineID = edited->machineID;

    if (m_machine)
        m_appState.machineList().updateMachine(record);
    else
        m_appState.machineList().addMachine(record);
    [[maybe_unused]] QCoro::Task<> check = m_appState.monitor().check(record);
    m_onFinish();
}

void MachineEditView::setConnectionState(const ConnectionState& state) {
    if (state == m_connectionState)
        return;
    m_connectionState = state;
    updateConnectionRow();
    updateControls();
    emit connectionStateChanged();
}

void MachineEditView::fieldsEdited() {
    setConnectionState(ConnectionState::untested());
    updateControls();
}

void MachineEditView::updateControls() {
    const bool valid = SavedMachine::normalizeHost(m_host->text()) && parsedPort();
    m_test->setEnabled(valid && m_connectionState.kind != ConnectionState::Kind::checking);
    m_save->setEnabled(canSave());
    const std::optional<MachineInfo>& info = m_connectionState.info;
    m_name->setPlaceholderText(m_connectionState.kind == ConnectionState::Kind::ok && info &&
                                       info->name
                                   ? *info->name
                                   : tr("My machine"));
}

QString MachineEditView::detailsText(const MachineInfo& info) {
    QStringList parts;
    if (info.serial)
        parts.append(tr("Serial %1").arg(*info.serial));
    if (const std::optional<QString> area = info.embroideryAreaText())
        parts.append(*area);
    return parts.join(QStringLiteral(" · "));
}

void MachineEditView::updateConnectionRow() {
    using Kind = ConnectionState::Kind;
    const Kind kind = m_connectionState.kind;
    m_connectionSpinner->setVisible(kind == Kind::checking);
    m_connectionLine->setSpacing(kind == Kind::checking ? 8 : 6);
    m_connectionSymbol->setVisible(kind != Kind::checking);
    QString details;
    switch (kind) {
    case Kind::untested:
        m_connectionSymbol->setSymbol(QStringLiteral("circle.dashed"));
        m_connectionSymbol->setTone(Style::Tone::secondary);
        m_connectionText->setTone(Style::Tone::secondary);
        m_connectionText->setText(tr("Not tested yet"));
        break;
    case Kind::checking:
        m_connectionText->setTone(Style::Tone::primary);
        m_connectionText->setText(tr("Connecting…"));
        break;
    case Kind::failed:
        m_connectionSymbol->setSymbol(QStringLiteral("xmark.circle.fill"));
        m_connectionSymbol->setTone(Style::Tone::red);
        m_connectionText->setTone(Style::Tone::red);
        m_connectionText->setText(failedText());
        break;
    case Kind::ok: {
        const MachineInfo& info = *m_connectionState.info;
        m_connectionSymbol->setSymbol(QStringLiteral("checkmark.circle.fill"));
        m_connectionSymbol->setTone(Style::Tone::green);
        m_connectionText->setTone(Style::Tone::green);
        m_connectionText->setText(info.name ? tr("Connected to %1").arg(*info.name)
                                            : tr("Connected to the machine"));
        details = detailsText(info);
        break;
    }
    }
    m_connectionDetails->setText(details);
    m_connectionDetails->setVisible(!details.isEmpty());
}

QString MachineEditView::connectionText() const {
    return m_connectionText->fullText();
}

QString MachineEditView::connectionDetails() const {
    return m_connectionDetails->isVisibleTo(this) ? m_connectionDetails->fullText() : QString();
}
