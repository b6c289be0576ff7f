#include "Views/RecentSendCard.h"

#include "Designs/SizeWarning.h"
#include "State/AppState.h"
#include "Support/Desktop/FileReveal.h"
#include "Support/Desktop/RelativeDate.h"
#include "Support/Desktop/Style.h"
#include "Support/FileExistence.h"
#include "Views/DesignThumbnail.h"
#include "Views/RecentSendDrag.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/StatusMarked.h"
#include "Views/Widgets/StyledLabel.h"
#include "Views/Widgets/SymbolView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>

namespace {

constexpr int thumbnailSize = 40;
constexpr int oversizeMarkSize = 14;

} // namespace

RecentSendCard::RecentSendCard(AppState& appState, const SendLogEntry& entry, QWidget* parent,
                               FileExistence* existence, PreviewCache* cache)
    : QWidget(parent)
    , m_appState(appState)
    , m_entry(entry)
    , m_existence(existence ? existence : &FileExistence::shared()) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(fileName());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(10);

    m_thumbnail = new DesignThumbnail(entry.fileURL, thumbnailSize, nullptr, cache);
    // Loaded once the card scrolls into view (showThumbnail).
    m_thumbnail->hide();
    m_marked = new StatusMarked(m_thumbnail, entry.ok, this);
    row->addWidget(m_marked, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->setContentsMargins(0, 0, 0, 0);
    m_name = new StyledLabel(fileName(), Style::TextStyle::callout, QFont::Medium,
                             Style::Tone::primary, this);
    m_name->setElideMode(Qt::ElideMiddle);
    m_name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    texts->addWidget(m_name);
    m_subtitle =
        new StyledLabel({}, Style::TextStyle::caption, QFont::Normal, Style::Tone::secondary, this);
    m_subtitle->setElideMode(Qt::ElideRight);
    QSizePolicy subtitlePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    subtitlePolicy.setHeightForWidth(true);
    m_subtitle->setSizePolicy(subtitlePolicy);
    texts->addWidget(m_subtitle);
    row->addLayout(texts, 1);
    row->addSpacing(4);

    m_oversize = new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), oversizeMarkSize,
                                Style::Tone::orange, this);
    row->addWidget(m_oversize, 0, Qt::AlignVCenter);

    m_more = new HeaderButton(QStringLiteral("ellipsis.circle"), this);
    m_more->setSymbolSize(Style::symbolSize(Style::TextStyle::title3));
    m_more->setSymbolTone(Style::Tone::secondary);
    m_more->setToolTip(tr("More"));
    m_more->setAccessibleName(tr("More"));
    // The card itself is the Tab stop that opens this menu.
    m_more->setFocusPolicy(Qt::NoFocus);
    // The card's menu opens under the button, right edges aligned so it stays over the panel.
    m_more->setMenu([this] { return actionsMenu(); }, Qt::AlignRight);
    QSizePolicy keepPlace = m_more->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_more->setSizePolicy(keepPlace);
    m_more->hide();
    row->addWidget(m_more, 0, Qt::AlignVCenter);

    connect(&appState.machineList(), &MachineList::machinesChanged, this,
            &RecentSendCard::updateActions);
    connect(&appState.machineList(), &MachineList::selectedMachineIDChanged, this,
            &RecentSendCard::updateActions);
    connect(m_thumbnail, &DesignThumbnail::loaded, this, &RecentSendCard::describe);
    connect(m_existence, &FileExistence::answered, this, [this](const QString& path, bool exists) {
        if (m_entry.fileURL.isLocalFile() && path == m_entry.fileURL.toLocalFile())
            applyLook(exists);
    });
    refresh();
}

QMenu* RecentSendCard::actionsMenu() {
    if (m_menu)
        return m_menu;
    m_menu = new QMenu(this);
    m_sendAgain = m_menu->addAction(tr("Send Again"));
    connect(m_sendAgain, &QAction::triggered, this,
            [this] { m_appState.sendQueue().send({m_entry.fileURL}); });
    m_showInFolder = m_menu->addAction(tr("Show in Folder"));
    connect(m_showInFolder, &QAction::triggered, this, [this] {
        connect(FileReveal::reveal(m_entry.fileURL), &FileReveal::Request::nothingShown, this,
                [this] { showNotice(tr("No file manager to show it in")); });
    });
    m_menu->addSeparator();
    m_remove = m_menu->addAction(tr("Remove from Recents"));
    // The card goes with its entry: leave the menu's own event handling first.
    connect(
        m_remove, &QAction::triggered, this,
        [this] { m_appState.recentSends().removeFromRecents(m_entry); }, Qt::QueuedConnection);
    // The rules follow the file system as it is when the menu opens.
    connect(m_menu, &QMenu::aboutToShow, this, &RecentSendCard::refresh);
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        // The pointer may have left while the menu was open.
        QMetaObject::invokeMethod(
            this, [this] { setHovering(rect().contains(mapFromGlobal(QCursor::pos()))); },
            Qt::QueuedConnection);
    });
    updateActions();
    return m_menu;
}

void RecentSendCard::setEntry(const SendLogEntry& entry) {
    if (entry == m_entry)
        return;
    m_entry = entry;
    m_thumbnail->setUrl(entry.fileURL);
    m_marked->setOk(entry.ok);
    m_name->setText(fileName());
    setAccessibleName(fileName());
    refresh();
}

QString RecentSendCard::fileName() const {
    return m_entry.fileURL.fileName();
}

QString RecentSendCard::subtitle() const {
    return m_subtitle->fullText();
}

QString RecentSendCard::timeSuffix() const {
    return QStringLiteral(" · ") +
           RelativeDate::text(m_entry.dateTime(), QDateTime::currentDateTime());
}

void RecentSendCard::showNotice(const QString& notice) {
    m_notice = notice;
    applyLook(m_exists);
    QTimer::singleShot(noticeMs, this, [this, notice] {
        if (m_notice != notice)
            return;
        m_notice.reset();
        applyLook(m_exists);
    });
}

QString RecentSendCard::subtitleFor(bool exists) const {
    if (m_notice)
        return *m_notice;
    if (!exists)
        return tr("File moved or deleted");
    if (m_entry.ok)
        return tr("Sent to %1", "followed by \" · \" and the time").arg(m_entry.machineName) +
               timeSuffix();
    return m_entry.message;
}

double RecentSendCard::backgroundOpacity() const {
    return m_isHovering ? 0.08 : 0.045;
}

void RecentSendCard::refresh() {
    if (!m_entry.fileURL.isLocalFile()) {
        applyLook(false);
        return;
    }
    applyLook(m_existence->check(m_entry.fileURL.toLocalFile()).value_or(false));
}

void RecentSendCard::applyLook(bool exists) {
    m_exists = exists;
    const bool failed = exists && !m_entry.ok;
    m_subtitle->setTone(failed ? Style::Tone::red : Style::Tone::secondary);
    if (failed && m_subtitle->maximumLines() != 2)
        m_subtitle->setMaximumLines(2);
    else if (!failed && m_subtitle->maximumLines() != 1)
        m_subtitle->setElideMode(Qt::ElideRight);
    // A long machine name gives way; the time stays.
    m_subtitle->setKeptEnd(exists && m_entry.ok && !m_notice ? timeSuffix().size() : 0);
    m_subtitle->setText(subtitleFor(exists));
    describe();
    if (exists && m_dimming) {
        setGraphicsEffect(nullptr); // deletes it
        m_dimming = nullptr;
    } else if (!exists && !m_dimming) {
        m_dimming = new QGraphicsOpacityEffect(this);
        m_dimming->setOpacity(missingOpacity);
        setGraphicsEffect(m_dimming);
    }
    updateActions();
    update();
}

QString RecentSendCard::designFacts() const {
    const std::optional<StitchPreview>& preview = m_thumbnail->preview();
    // The thumbnail keeps an older file's preview until the new one is in.
    if (!m_thumbnail->isLoaded() || !preview || m_thumbnail->url() != m_entry.fileURL)
        return {};
    return tr("%1 · %2 · %3", "a design's size, stitches and colours")
        .arg(SizeWarning::sizeText(preview->sizeMM()),
             tr("%n stitches", nullptr, static_cast<int>(preview->stitchCount)),
             tr("%n colours", nullptr, static_cast<int>(preview->colorCount)));
}

void RecentSendCard::describe() {
    const QString facts = designFacts();
    const QString warning = m_entry.ok ? m_entry.warning.value_or(QString()) : QString();
    m_oversize->setVisible(!warning.isEmpty());
    m_oversize->setToolTip(warning);
    m_oversize->setAccessibleName(warning);
    m_oversize->setAccessibleDescription(warning);

    QStringList tip;
    if (m_exists) {
        tip << tr("Drag onto the drop zone to send %1 again").arg(fileName());
        if (!facts.isEmpty())
            tip << facts;
    }
    setToolTip(tip.join(u'\n'));
    // The card is the one Tab stop: its description also carries what the mark says.
    QStringList description{m_subtitle->fullText()};
    if (m_exists && !facts.isEmpty())
        description << facts;
    if (!warning.isEmpty())
        description << warning;
    setAccessibleDescription(description.join(u'\n'));
}

void RecentSendCard::updateActions() {
    if (!m_menu)
        return; // set when it is made
    m_sendAgain->setEnabled(m_exists && m_appState.machineList().selectedMachine().has_value());
    m_showInFolder->setEnabled(m_exists);
    m_remove->setEnabled(true);
}

void RecentSendCard::showThumbnail() {
    if (m_thumbnail->isHidden())
        m_thumbnail->show();
}

bool RecentSendCard::isThumbnailShown() const {
    return !m_thumbnail->isHidden();
}

void RecentSendCard::setHovering(bool hovering) {
    // The menu keeps its button while it is open.
    if (!hovering && m_menu && m_menu->isVisible())
        return;
    if (hovering == m_isHovering)
        return;
    m_isHovering = hovering;
    updateMoreButton();
    update();
}

void RecentSendCard::updateMoreButton() {
    const bool menuOpen = m_menu && m_menu->isVisible();
    m_more->setVisible(m_isHovering || hasFocus() || menuOpen);
}

void RecentSendCard::showMenu() {
    m_more->show();
    m_more->showMenu();
}

void RecentSendCard::keyPressEvent(QKeyEvent* event) {
    const bool space = event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier;
    if (KeyboardFocus::isActivation(event) || space || KeyboardFocus::isMenuRequest(event)) {
        if (!event->isAutoRepeat())
            showMenu();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RecentSendCard::focusInEvent(QFocusEvent* event) {
    m_focus.focusIn(event->reason());
    updateMoreButton();
    update();
    QWidget::focusInEvent(event);
}

void RecentSendCard::hideEvent(QHideEvent* event) {
    m_focus.hiding(hasFocus());
    QWidget::hideEvent(event);
}

void RecentSendCard::focusOutEvent(QFocusEvent* event) {
    updateMoreButton();
    update();
    QWidget::focusOutEvent(event);
}

void RecentSendCard::enterEvent(QEnterEvent* event) {
    setHovering(true);
    QWidget::enterEvent(event);
}

void RecentSendCard::leaveEvent(QEvent* event) {
    setHovering(false);
    QWidget::leaveEvent(event);
}

QPixmap RecentSendCard::background() const {
    // The cards of the list share their size and colours, and an antialiased rounded outline
    // costs more than copying it: each look is drawn once.
    const QColor primary = Style::color(Style::Tone::primary, palette());
    const QColor fill = Style::withOpacity(primary, backgroundOpacity());
    const QColor edge = Style::withOpacity(primary, 0.07);
    const qreal ratio = devicePixelRatioF();
    const QString key = QStringLiteral("RecentSendCard/%1x%2@%3/%4/%5")
                            .arg(width())
                            .arg(height())
                            .arg(ratio)
                            .arg(fill.rgba(), 8, 16)
                            .arg(edge.rgba(), 8, 16);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap(QSize(qCeil(width() * ratio), qCeil(height() * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, fill);
    // A one-pixel line inside the edge.
    painter.setPen(QPen(edge, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5,
                            cornerRadius - 0.5);
    painter.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void RecentSendCard::paintEvent(QPaintEvent*) {
    // Every drawing asks the file system again, without waiting: a changed answer arrives as
    // `answered`. The look changes right after this paint, never during it (the date's text
    // may have changed too: midnight).
    if (m_entry.fileURL.isLocalFile() && !m_lookPending) {
        const bool exists =
            m_existence->check(m_entry.fileURL.toLocalFile(), std::chrono::milliseconds(0))
                .value_or(false);
        if (exists != m_exists || subtitleFor(exists) != m_subtitle->fullText()) {
            m_lookPending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_lookPending = false;
                    applyLook(m_existence->known(m_entry.fileURL.toLocalFile()).value_or(false));
                },
                Qt::QueuedConnection);
        }
    }

    // Drawn means in view: the thumbnail loads from now on (not during this paint).
    if (m_thumbnail->isHidden() && !m_thumbnailPending) {
        m_thumbnailPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_thumbnailPending = false;
                showThumbnail();
            },
            Qt::QueuedConnection);
    }

    QPainter painter(this);
    painter.drawPixmap(0, 0, background());
    if (isFocusRingVisible())
        KeyboardFocus::paintRing(painter, QRectF(rect()), cornerRadius, palette());
}

// --- dragging ------------------------------------------------------------------------------------

std::unique_ptr<QMimeData> RecentSendCard::dragData() {
    refresh();
    if (!m_exists)
        return std::make_unique<QMimeData>();
    std::unique_ptr<QMimeData> item = RecentSendDrag::makeData(m_entry.id);
    item->setData(suggestedNameType, fileName().toUtf8());
    return item;
}

QPixmap RecentSendCard::dragImage() {
    const bool wasHovering = m_isHovering;
    const bool moreShown = !m_more->isHidden();
    const bool existed = m_exists;
    const QSize size = this->size();
    m_isHovering = false;
    m_more->setVisible(false);
    applyLook(true);
    const int height = hasHeightForWidth() ? heightForWidth(dragImageWidth) : size.height();
    resize(dragImageWidth, std::max(height, minimumSizeHint().height()));
    const QPixmap image = grab();
    resize(size);
    applyLook(existed);
    m_isHovering = wasHovering;
    m_more->setVisible(moreShown);
    return image;
}

void RecentSendCard::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_pressPosition = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

void RecentSendCard::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressPosition && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - *m_pressPosition).manhattanLength() >=
            QApplication::startDragDistance()) {
        startDrag();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void RecentSendCard::mouseReleaseEvent(QMouseEvent* event) {
    m_pressPosition.reset();
    QWidget::mouseReleaseEvent(event);
}

void RecentSendCard::startDrag() {
    const QPoint pressed = *m_pressPosition;
    m_pressPosition.reset();
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData().release());
    const QPixmap image = dragImage();
    drag->setPixmap(image);
    drag->setHotSpot(QPoint(std::min(pressed.x(), dragImageWidth - 1), pressed.y()));
    m_isDragging = true;
    // The drag runs its own event loop on this platform; the list keeps this card alive until
    // it ends, even if its entry leaves the log meanwhile.
    QPointer<RecentSendCard> self(this);
    drag->exec(Qt::CopyAction);
    if (!self)
        return;
    m_isDragging = false;
    emit dragFinished();
}

void RecentSendCard::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard the menu opens at the card, not wherever the pointer rests.
    if (event->reason() == QContextMenuEvent::Keyboard)
        showMenu();
    else
        actionsMenu()->popup(event->globalPos());
    event->accept();
}
