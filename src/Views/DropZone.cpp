#include "Views/DropZone.h"

#include "Designs/SizeWarning.h"
#include "Designs/StitchFileTypes.h"
#include "State/AppState.h"
#include "Support/Desktop/Style.h"
#include "Support/Overloaded.h"
#include "Support/SingleInstance.h"
#include "Views/DesignFileChooser.h"
#include "Views/DropZonePages.h"
#include "Views/RecentSendDrag.h"
#include "Views/Widgets/Accessibility.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/StyledLabel.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int inset = 16;
constexpr double cornerRadius = 12;

QString sendingText(const QString& fileName) {
    return DropZone::tr("Sending %1…").arg(fileName);
}

QString extensionsLine() {
    QStringList parts;
    for (const QString& extension : StitchFileTypes::sendableExtensions())
        parts << QLatin1Char('.') + extension;
    return parts.join(QStringLiteral("  "));
}

} // namespace

DropZone::DropZone(AppState& appState, QWidget* parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_targetedAnimation(new QVariantAnimation(this)) {
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    // Reachable with Tab and by a click, for choosing files instead of dropping them.
    setFocusPolicy(Qt::StrongFocus);
    setProperty(Accessibility::roleProperty, int(QAccessible::Button));
    m_chooser = new DesignFileChooser(this);
    connect(m_chooser, &DesignFileChooser::chosen, this, &DropZone::sendChosen);

    m_targetedAnimation->setDuration(targetedAnimationMs);
    m_targetedAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_targetedAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) {
                m_targetedAmount = value.toDouble();
                update();
            });

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(inset, inset, inset, inset);
    m_pages = new DropZonePages(this);
    outer->addWidget(m_pages);
    m_title = m_pages->titleLabel();
    m_detail = m_pages->detailLabel();
    m_sendingLine = m_pages->sendingLabel();
    m_progress = m_pages->progressBar();
    m_ok = m_pages->okButton();
    connect(m_ok, &QPushButton::clicked, this, [this] { m_appState.sendQueue().dismissStatus(); });

    connect(&m_appState.sendQueue(), &SendQueue::sendStatusChanged, this, &DropZone::refresh);
    connect(&m_appState.sendQueue(), &SendQueue::fileProgressChanged, this,
            &DropZone::showProgress);
    connect(&m_appState.machineList(), &MachineList::selectedMachineIDChanged, this,
            &DropZone::refresh);
    connect(&m_appState.machineList(), &MachineList::machinesChanged, this, &DropZone::refresh);
    refresh();
}

QString DropZone::iconName() const {
    return m_pages->symbol();
}

QString DropZone::title() const {
    return m_content == Content::sending ? QString() : m_title->fullText();
}

QString DropZone::detail() const {
    return m_content == Content::sending || m_detail->isHidden() ? QString() : m_detail->fullText();
}

QString DropZone::warning() const {
    return m_content == Content::sent ? m_pages->warning() : QString();
}

QString DropZone::sendingLine() const {
    return m_content == Content::sending ? m_sendingLine->fullText() : QString();
}

QString DropZone::indexLine() const {
    return m_content == Content::sending ? m_pages->count() : QString();
}

bool DropZone::isAnimating() const {
    return m_pages->isFading() || m_targetedAnimation->state() == QAbstractAnimation::Running;
}

void DropZone::showProgress() {
    const auto* sending = std::get_if<SendStatuses::Sending>(&m_appState.sendQueue().sendStatus());
    if (!sending)
        return;
    // Finished files and the part of this one the machine has taken, in steps fine enough
    // that the bar moves smoothly across its width.
    constexpr int stepsPerFile = 1000;
    const qint64 total = std::max<qint64>(sending->total, 1);
    const qint64 finished = std::clamp<qint64>(sending->index - 1, 0, total - 1);
    m_progress->setRange(0, int(std::min<qint64>(total * stepsPerFile, INT_MAX)));
    m_progress->setValue(int(finished * stepsPerFile +
                             std::lround(m_appState.sendQueue().fileProgress() * stepsPerFile)));
}

void DropZone::refresh() {
    const std::optional<SavedMachine> machine = m_appState.machineList().selectedMachine();
    const Content before = m_content;
    const QString beforeTitle = m_title->fullText();
    QStringList warnings;
    QStringList warningLines;

    // "OK" about to go away with the focus on it: the focus stays here on the drop zone, with the
    // ring if "OK" showed one. Left to Qt it would move on down the panel to "Clear", where one
    // more Return would empty the recent sends.
    const bool errorStays = !m_isTargeted && std::holds_alternative<SendStatuses::Error>(
                                                 m_appState.sendQueue().sendStatus());
    if (m_ok->hasFocus() && !errorStays) {
        const bool ring = static_cast<ControlButton*>(m_ok)->isFocusRingVisible();
        setFocus(Qt::OtherFocusReason);
        m_focus.setFromKeyboard(ring);
        update();
    }

    if (m_isTargeted) {
        m_content = Content::targeted;
        showMessage(
            QStringLiteral("arrow.down.circle.fill"), Style::Tone::accent, tr("Release to send"),
            machine
                ? tr("to %1", "under \"Release to send\": the machine's name").arg(machine->name)
                : QString());
    } else {
        std::visit(
            Overloaded{
                [&](const SendStatuses::Idle&) {
                    m_content = Content::idle;
                    if (machine) {
                        showMessage(QStringLiteral("square.and.arrow.down"), Style::Tone::secondary,
                                    tr("Drop designs to send to %1").arg(machine->name),
                                    extensionsLine());
                    } else {
                        showMessage(QStringLiteral("square.and.arrow.down"), Style::Tone::secondary,
                                    tr("Drop designs here"),
                                    tr("Set up your machine above first."));
                    }
                },
                [&](const SendStatuses::Sending& sending) {
                    m_content = Content::sending;
                    const bool batch = sending.total >= 2;
                    showProgress();
                    m_pages->showSending(
                        sendingText(sending.fileName),
                        batch ? tr("%1 of %2", "the file being sent, of the files in the batch")
                                    .arg(QLocale().toString(sending.index),
                                         QLocale().toString(sending.total))
                              : QString());
                },
                [&](const SendStatuses::Sent& sent) {
                    m_content = Content::sent;
                    showMessage(QStringLiteral("checkmark.circle.fill"), Style::Tone::green,
                                tr("Sent %1 to %2", "%1 is a file name or \"3 designs\"")
                                    .arg(sent.summary, sent.machine),
                                tr("On the machine, open the pattern retrieve screen and pick the "
                                   "wireless pocket."));
                    warnings = sent.warnings;
                    warningLines = sent.foldedWarnings(DropZonePages::warningLines);
                },
                [&](const SendStatuses::Error& error) {
                    m_content = Content::error;
                    showMessage(QStringLiteral("exclamationmark.triangle.fill"),
                                Style::Tone::orange, QString(), error.message);
                },
            },
            m_appState.sendQueue().sendStatus());
    }
    m_pages->setOkVisible(m_content == Content::error);
    m_pages->showWarnings(warningLines, warnings);
    setAccessibleName(m_content == Content::sending ? m_sendingLine->fullText()
                                                    : m_title->fullText());
    // Announced with the idle text: the drop zone is also the way to send without dragging.
    const QString chooseHint =
        tr("Press Space or Return, or click, to choose design files to send.");
    setAccessibleDescription(m_content == Content::idle
                                 ? m_detail->fullText() + QLatin1Char(' ') + chooseHint
                                 : m_detail->fullText());
    m_title->setAccessibleDescription(m_content == Content::idle ? chooseHint : QString());

    const bool targetedChange = (before == Content::targeted) != (m_content == Content::targeted);
    if (targetedChange)
        m_pages->fadeIn(targetedAnimationMs);
    else if (before != m_content || beforeTitle != m_title->fullText())
        m_pages->fadeIn(statusAnimationMs);
}

void DropZone::showMessage(const QString& icon, Style::Tone tone, const QString& title,
                           const QString& detail) {
    m_pages->showMessage(icon, tone, title, detail);
}

void DropZone::setTargeted(bool targeted) {
    if (targeted == m_isTargeted)
        return;
    m_isTargeted = targeted;
    m_targetedAnimation->stop();
    if (isVisible()) {
        m_targetedAnimation->setStartValue(m_targetedAmount);
        m_targetedAnimation->setEndValue(targeted ? 1.0 : 0.0);
        m_targetedAnimation->start();
    } else {
        m_targetedAmount = targeted ? 1.0 : 0.0;
    }
    refresh();
}

void DropZone::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const double targeted = m_targetedAmount;
    const QColor accent = Style::color(Style::Tone::accent, colors);

    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, Style::withOpacity(Style::color(Style::Tone::primary, colors),
                                               0.03 * (1 - targeted)));
    if (targeted > 0)
        painter.fillPath(shape, Style::withOpacity(accent, 0.12 * targeted));

    // Borders are stroked inside the edge: the path is inset by half the pen.
    if (targeted < 1) {
        constexpr double width = 1.5;
        QPen dashed(
            Style::withOpacity(Style::color(Style::Tone::secondary, colors), 0.35 * (1 - targeted)),
            width, Qt::CustomDashLine, Qt::FlatCap);
        dashed.setDashPattern({6 / width, 4 / width});
        painter.setPen(dashed);
        painter.setBrush(Qt::NoBrush);
        const double half = width / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half),
                                cornerRadius - half, cornerRadius - half);
    }
    if (targeted > 0) {
        constexpr double width = 2;
        painter.setPen(QPen(Style::withOpacity(accent, targeted), width));
        painter.setBrush(Qt::NoBrush);
        const double half = width / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half),
                                cornerRadius - half, cornerRadius - half);
    }
    if (isFocusRingVisible())
        KeyboardFocus::paintRing(painter, QRectF(rect()), cornerRadius, colors);
}

// --- Choosing files ------------------------------------------------------------------------------

void DropZone::chooseFiles() {
    m_chooser->choose();
}

QFileDialog* DropZone::fileChooser() const {
    return m_chooser->dialog();
}

void DropZone::sendChosen(const QList<QUrl>& files) {
    QList<Item> chosen;
    for (const QUrl& url : files)
        chosen.append(Item{url, std::nullopt});
    handleDrop(chosen);
}

void DropZone::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void DropZone::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        chooseFiles();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void DropZone::keyPressEvent(QKeyEvent* event) {
    if ((KeyboardFocus::isActivation(event) ||
         (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier)) &&
        !event->isAutoRepeat()) {
        event->accept();
        chooseFiles();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DropZone::focusInEvent(QFocusEvent* event) {
    m_focus.focusIn(event->reason());
    update();
    QWidget::focusInEvent(event);
}

void DropZone::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

// --- Dropping ------------------------------------------------------------------------------------

QList<DropZone::Item> DropZone::items(const QMimeData* data, bool fromThisProcess) {
    if (!data)
        return {};
    // A recent send is one item, never also tried as a file; from another program the type
    // means nothing.
    if (fromThisProcess && RecentSendDrag::carriesType(data))
        return {Item{std::nullopt, data->data(RecentSendDrag::mimeType)}};
    QList<Item> result;
    for (const QUrl& url : data->urls())
        result.append(Item{url, std::nullopt});
    return result;
}

bool DropZone::accepts(const QMimeData* data, bool fromThisProcess) {
    if (!data)
        return false;
    if (fromThisProcess && RecentSendDrag::carriesType(data))
        return true;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

std::optional<QUrl> DropZone::loadURL(const Item& item, const QList<SendLogEntry>& recents) {
    if (item.recentSend) {
        const std::optional<QUuid> id = RecentSendDrag::entryID(*item.recentSend);
        if (!id)
            return std::nullopt;
        for (const SendLogEntry& entry : recents) {
            if (entry.id == *id)
                return entry.fileURL;
        }
        return std::nullopt;
    }
    if (item.url && item.url->scheme() == QLatin1String("file")) {
        // "file://localhost/…" is this computer's file; others fail when they are read.
        return SingleInstance::localFileURL(*item.url).value_or(*item.url);
    }
    return std::nullopt;
}

bool DropZone::handleDrop(const QList<Item>& dropped) {
    // The recents as they are now: an entry removed while the drag was under way is gone.
    const QList<SendLogEntry> recents = m_appState.recentSends().sendLog();
    SendQueue* queue = &m_appState.sendQueue();
    // The queue outlives any screen, so a drop is sent even if this panel goes meanwhile.
    QMetaObject::invokeMethod(
        queue,
        [queue, dropped, recents] {
            QList<QUrl> urls;
            for (const Item& item : dropped) {
                if (std::optional<QUrl> url = loadURL(item, recents))
                    urls.append(*url);
            }
            queue->send(urls);
        },
        Qt::QueuedConnection);
    return true;
}

void DropZone::dragEnterEvent(QDragEnterEvent* event) {
    const bool own = RecentSendDrag::isFromThisProcess(event->mimeData(), event->source());
    if (!accepts(event->mimeData(), own)) {
        event->ignore();
        return;
    }
    // Always a copy: a file manager must never delete what it dropped here.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setTargeted(true);
}

void DropZone::dragMoveEvent(QDragMoveEvent* event) {
    const bool own = RecentSendDrag::isFromThisProcess(event->mimeData(), event->source());
    if (!accepts(event->mimeData(), own)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropZone::dragLeaveEvent(QDragLeaveEvent* event) {
    setTargeted(false);
    event->accept();
}

void DropZone::dropEvent(QDropEvent* event) {
    setTargeted(false);
    const bool own = RecentSendDrag::isFromThisProcess(event->mimeData(), event->source());
    if (!accepts(event->mimeData(), own)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    handleDrop(items(event->mimeData(), own));
}
