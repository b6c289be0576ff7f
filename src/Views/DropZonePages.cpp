#include "Views/DropZonePages.h"

#include "Models/SendStatus.h"
#include "Support/Desktop/Symbols.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/CountLabel.h"
#include "Views/Widgets/StyledLabel.h"
#include "Views/Widgets/ThinProgressBar.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

constexpr int iconSize = 30;

// A column whose items are centred, with stretch above and below.
QVBoxLayout* centredColumn(QWidget* page, int spacing) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    column->addStretch(1);
    return column;
}

} // namespace

DropZonePages::DropZonePages(QWidget* parent)
    : QWidget(parent)
    , m_fade(new QVariantAnimation(this)) {
    m_pages = new QStackedLayout(this);

    // Icon, title, detail, and the OK button of an error.
    m_messagePage = new QWidget(this);
    QVBoxLayout* message = centredColumn(m_messagePage, 6);
    m_icon = new QLabel(m_messagePage);
    m_icon->setFixedSize(iconSize, iconSize + 2);
    m_icon->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    message->addWidget(m_icon, 0, Qt::AlignHCenter);
    m_title = new StyledLabel({}, Style::TextStyle::callout, QFont::Medium, Style::Tone::primary,
                              m_messagePage);
    m_title->setMaximumLines(2);
    m_title->setAlignment(Qt::AlignHCenter);
    message->addWidget(m_title);
    m_warningBox = new QWidget(m_messagePage);
    auto* warningLines = new QVBoxLayout(m_warningBox);
    warningLines->setContentsMargins(0, 0, 0, 0);
    warningLines->setSpacing(0);
    for (qsizetype i = 0; i <= SendStatuses::Sent::shownWarnings; ++i) {
        auto* line = new StyledLabel({}, Style::TextStyle::caption, QFont::Medium,
                                     Style::Tone::orange, m_warningBox);
        line->setAlignment(Qt::AlignHCenter);
        warningLines->addWidget(line);
        m_warnings.append(line);
    }
    m_warningBox->hide();
    message->addWidget(m_warningBox);
    m_detail = new StyledLabel({}, Style::TextStyle::caption, QFont::Normal, Style::Tone::secondary,
                               m_messagePage);
    m_detail->setMaximumLines(3);
    m_detail->setAlignment(Qt::AlignHCenter);
    message->addWidget(m_detail);
    m_okRow = new QWidget(m_messagePage);
    auto* okLayout = new QHBoxLayout(m_okRow);
    okLayout->setContentsMargins(0, 8 - 6, 0, 0);
    m_ok = new ControlButton(tr("OK"), ControlButton::Kind::bordered, ControlButton::Size::small,
                             m_okRow);
    okLayout->addWidget(m_ok, 0, Qt::AlignHCenter);
    message->addWidget(m_okRow);
    message->addStretch(1);
    m_pages->addWidget(m_messagePage);

    // Progress, file name, and "I of N".
    m_sendingPage = new QWidget(this);
    QVBoxLayout* sending = centredColumn(m_sendingPage, 10);
    m_progress = new ThinProgressBar(m_sendingPage);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(200);
    m_progress->setFixedHeight(6);
    sending->addWidget(m_progress, 0, Qt::AlignHCenter);
    m_sendingLine = new StyledLabel({}, Style::TextStyle::callout, QFont::Medium,
                                    Style::Tone::primary, m_sendingPage);
    m_sendingLine->setElideMode(Qt::ElideMiddle);
    m_sendingLine->setAlignment(Qt::AlignHCenter);
    sending->addWidget(m_sendingLine);
    m_count = new CountLabel({}, Style::TextStyle::caption, QFont::Normal, Style::Tone::secondary,
                             m_sendingPage);
    m_count->setAlignment(Qt::AlignHCenter);
    sending->addWidget(m_count);
    sending->addStretch(1);
    m_pages->addWidget(m_sendingPage);

    // Status changes fade the new content in; the effect is off while nothing animates, so a
    // resting panel paints directly.
    m_fadeEffect = new QGraphicsOpacityEffect(this);
    m_fadeEffect->setEnabled(false);
    setGraphicsEffect(m_fadeEffect);
    m_fade->setEasingCurve(QEasingCurve::OutCubic);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    connect(m_fade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_fadeEffect->setOpacity(value.toDouble()); });
    connect(m_fade, &QVariantAnimation::finished, this,
            [this] { m_fadeEffect->setEnabled(false); });
}

void DropZonePages::showMessage(const QString& symbol, Style::Tone tone, const QString& title,
                                const QString& detail) {
    m_symbol = symbol;
    m_symbolTone = tone;
    updateSymbol();
    m_title->setText(title);
    m_title->setVisible(!title.isEmpty());
    m_detail->setText(detail);
    m_detail->setVisible(!detail.isEmpty());
    m_pages->setCurrentWidget(m_messagePage);
}

void DropZonePages::showWarnings(const QStringList& warnings) {
    // One design's warning may take two lines; several keep one line each, shortened at the
    // end, and the instructions below give way to them: the panel has room for no more.
    const bool single = warnings.size() == 1;
    for (qsizetype i = 0; i < m_warnings.size(); ++i) {
        StyledLabel* line = m_warnings[i];
        const QString text = warnings.value(i);
        if (single)
            line->setMaximumLines(2);
        else
            line->setElideMode(Qt::ElideRight);
        line->setText(text);
        line->setToolTip(text);
        line->setVisible(!text.isEmpty());
    }
    m_warningBox->setVisible(!warnings.isEmpty());
    if (warnings.size() >= 2)
        m_detail->hide();
}

void DropZonePages::setOkVisible(bool visible) {
    m_okRow->setVisible(visible);
}

void DropZonePages::showSending(const QString& line, const QString& count) {
    m_sendingLine->setText(line);
    m_count->setText(count);
    m_count->setVisible(!count.isEmpty());
    m_pages->setCurrentWidget(m_sendingPage);
}

void DropZonePages::fadeIn(int durationMs) {
    // Never on a hidden panel: there is nothing to see, and no reason to keep a timer going.
    if (!isVisible())
        return;
    m_fade->stop();
    m_fade->setDuration(durationMs);
    m_fadeEffect->setOpacity(0);
    m_fadeEffect->setEnabled(true);
    m_fade->start();
}

bool DropZonePages::isFading() const {
    return m_fade->state() == QAbstractAnimation::Running;
}

QString DropZonePages::warning() const {
    QStringList lines;
    for (const StyledLabel* line : m_warnings) {
        if (!line->isHidden())
            lines << line->fullText();
    }
    return lines.join(u'\n');
}

QString DropZonePages::count() const {
    return m_count->isVisibleTo(m_sendingPage) ? m_count->fullText() : QString();
}

void DropZonePages::updateSymbol() {
    m_icon->setPixmap(Symbols::pixmap(m_symbol, iconSize, Style::color(m_symbolTone, palette()),
                                      devicePixelRatioF()));
}

void DropZonePages::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange && !m_symbol.isEmpty())
        updateSymbol();
    QWidget::changeEvent(event);
}
