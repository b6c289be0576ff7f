#include "Views/RecentSendsView.h"

#include "State/AppState.h"
#include "Support/Desktop/Style.h"
#include "Support/FileExistence.h"
#include "Views/RecentSendCard.h"
#include "Views/Widgets/Accessibility.h"
#include "Views/Widgets/KeyboardFocus.h"
#include "Views/Widgets/PaintedButton.h"
#include "Views/Widgets/StyledLabel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

#include <variant>

namespace {

// A borderless text button in the caption style: secondary text, full text colour while
// pressed, faint while disabled.
class PlainButton : public PaintedButton {
public:
    PlainButton(const QString& text, QWidget* parent)
        : PaintedButton(parent) {
        setText(text);
        setFont(Style::font(Style::TextStyle::caption));
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(text()) + 8, metrics.height() + 4};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor ink =
            !isEnabled()
                ? Style::withOpacity(palette().color(QPalette::Active, QPalette::WindowText),
                                     Style::disabledOpacity)
                : Style::color(isDown() ? Style::Tone::primary : Style::Tone::secondary, palette());
        setProperty(Accessibility::inkProperty, ink);
        painter.setPen(ink);
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, text());
        if (isFocusRingVisible())
            KeyboardFocus::paintRing(painter, QRectF(rect()), 4, palette());
    }

    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
            update();
        PaintedButton::changeEvent(event);
    }
};

// Scroll bars that lie over the content and fade when idle, as scroll indicators do, so the
// cards keep their full width whether or not the list scrolls.
class OverlayScrollBars : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ScrollBar_Transient)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

RecentSendsView::RecentSendsView(AppState& appState, QWidget* parent, FileExistence* existence,
                                 PreviewCache* cache)
    : QWidget(parent)
    , m_appState(appState)
    , m_existence(existence)
    , m_cache(cache) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(16, 0, 16, 6);
    header->setSpacing(8);
    m_title = new StyledLabel(tr("Recent", "the recent sends"), Style::TextStyle::caption,
                              QFont::DemiBold, Style::Tone::secondary, this);
    header->addWidget(m_title, 0, Qt::AlignVCenter);
    m_hint = new StyledLabel(tr("Drag onto the drop zone to resend"), Style::TextStyle::caption,
                             QFont::Normal, Style::Tone::tertiary, this);
    m_hint->setElideMode(Qt::ElideRight);
    m_hint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    header->addWidget(m_hint, 1, Qt::AlignVCenter);
    m_clear = new PlainButton(tr("Clear"), this);
    m_clear->setAccessibleName(tr("Clear"));
    connect(m_clear, &QAbstractButton::clicked, this,
            [this] { m_appState.recentSends().clearRecents(); });
    header->addWidget(m_clear, 0, Qt::AlignVCenter);
    column->addLayout(header);

    m_body = new QStackedLayout;
    m_empty = new StyledLabel(tr("Designs you send appear here."), Style::TextStyle::caption,
                              QFont::Normal, Style::Tone::tertiary, this);
    m_empty->setAlignment(Qt::AlignCenter);
    m_body->addWidget(m_empty);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    // The cards are the Tab stops; the list scrolls to the one that takes the focus.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* overlay = new OverlayScrollBars;
    overlay->setParent(m_scroll);
    m_scroll->setStyle(overlay);
    m_scroll->verticalScrollBar()->setStyle(overlay);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_column = new QWidget;
    m_column->setAutoFillBackground(false);
    m_columnLayout = new QVBoxLayout(m_column);
    m_columnLayout->setContentsMargins(12, 0, 12, 12);
    m_columnLayout->setSpacing(cardSpacing);
    m_columnLayout->addStretch(1);
    m_scroll->setWidget(m_column);
    m_column->installEventFilter(this);
    m_body->addWidget(m_scroll);
    column->addLayout(m_body, 1);

    connect(&appState.recentSends(), &RecentSends::sendLogChanged, this,
            &RecentSendsView::followLog);
    connect(&appState.sendQueue(), &SendQueue::sendStatusChanged, this,
            &RecentSendsView::updateClear);
    followLog();
}

QList<RecentSendCard*> RecentSendsView::cards() const {
    QList<RecentSendCard*> shown;
    for (int i = 0; i < m_columnLayout->count(); ++i) {
        if (auto* card = qobject_cast<RecentSendCard*>(m_columnLayout->itemAt(i)->widget()))
            shown.append(card);
    }
    return shown;
}

void RecentSendsView::followLog() {
    m_pendingEntries = false;
    // The first paint needs only the cards that fit; a card is at least 56 high.
    const qsizetype fitting = isVisible() ? height() / (56 + cardSpacing) + 1 : initialCards;
    const qsizetype limit = fitting + m_buildLimit;
    QList<const SendLogEntry*> shown;
    QSet<QUuid> ids;
    for (const SendLogEntry& entry : m_appState.recentSends().sendLog()) {
        if (ids.contains(entry.id))
            continue; // one card per id
        ids.insert(entry.id);
        if (shown.size() < limit)
            shown.append(&entry);
        else
            m_pendingEntries = true; // built after the next paint
    }

    // New cards ask whether their files exist; let those stats run side by side.
    FileExistence& existence = m_existence ? *m_existence : FileExistence::shared();
    for (const SendLogEntry* entry : shown) {
        if (!m_cards.contains(entry->id) && entry->fileURL.isLocalFile())
            existence.check(entry->fileURL.toLocalFile(), std::chrono::milliseconds(0));
    }

    QHash<QUuid, RecentSendCard*> kept;
    QList<RecentSendCard*> ordered;
    for (const SendLogEntry* entry : shown) {
        RecentSendCard* card = m_cards.take(entry->id);
        if (card)
            card->setEntry(*entry);
        else
            card = new RecentSendCard(m_appState, *entry, m_column, m_existence, m_cache);
        kept.insert(entry->id, card);
        ordered.append(card);
    }
    for (RecentSendCard* gone : std::as_const(m_cards))
        retire(gone);
    m_cards = kept;
    for (int i = 0; i < ordered.size(); ++i) {
        if (m_columnLayout->indexOf(ordered[i]) == i)
            continue;
        m_columnLayout->removeWidget(ordered[i]);
        m_columnLayout->insertWidget(i, ordered[i]);
    }
    // Tab goes down the list as it reads, new cards included.
    QWidget* previous = m_clear;
    for (RecentSendCard* card : ordered) {
        QWidget::setTabOrder(previous, card);
        previous = card;
    }

    const bool empty = ids.isEmpty();
    m_body->setCurrentWidget(empty ? static_cast<QWidget*>(m_empty) : m_scroll);
    m_hint->setVisible(!empty);
    m_clear->setVisible(!empty);
    updateClear();
}

void RecentSendsView::retire(RecentSendCard* card) {
    m_columnLayout->removeWidget(card);
    card->hide();
    // A card being dragged runs the drag's event loop: it goes when the drag ends.
    if (card->isDragging())
        connect(card, &RecentSendCard::dragFinished, card, &QObject::deleteLater);
    else
        card->deleteLater();
}

void RecentSendsView::updateClear() {
    m_clear->setEnabled(
        !std::holds_alternative<SendStatuses::Sending>(m_appState.sendQueue().sendStatus()));
}

bool RecentSendsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_column && event->type() == QEvent::Paint)
        growAfterPaint();
    return QWidget::eventFilter(watched, event);
}

void RecentSendsView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    growAfterPaint();
}

void RecentSendsView::growAfterPaint() {
    if (m_pendingEntries && !m_growScheduled)
        growLater();
}

void RecentSendsView::growLater() {
    m_growScheduled = true;
    // One batch at a time, behind what is already queued (the thumbnails of the cards just
    // drawn), so paints and input go on in between.
    QTimer::singleShot(1, this, [this] {
        m_growScheduled = false;
        m_buildLimit += cardsPerTurn;
        followLog();
        if (m_pendingEntries)
            growLater();
    });
}
