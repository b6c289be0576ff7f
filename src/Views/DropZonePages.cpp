#include "Views/DropZonePages.h"

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
    auto* warningColumn = new QVBoxLayout(m_warningBox);
    warningColumn->setContentsMargins(0, 0, 0, 0);
    warningColumn->setSpacing(0);
    for (int i = 0; i < warningLines; ++i) {
        auto* line = new StyledLabel({}, Style::TextStyle::caption, QFont::Medium,
                                     Style::Tone::orange, m_warningBox);
        line->setAlignment(Qt::AlignHCenter);
        warningColumn->addWidget(line);
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
    fitMessage();
}

void DropZonePages::showWarnings(const QStringList& lines, const QStringList& warnings) {
    // One design's warning may take both lines; several keep one line each, shortened at the
    // end. The instruction below stays whatever they say: it is what the user does next.
    const bool single = lines.size() == 1;
    for (qsizetype i = 0; i < m_warnings.size(); ++i) {
        StyledLabel* line = m_warnings[i];
        const QString text = lines.value(i);
        if (single)
            line->setMaximumLines(warningLines);
        else
            line->setElideMode(Qt::ElideRight);
        line->setText(text);
        // Each warning whole, and those that a last line counts ("and 2 more") under it.
        const bool counts = i == lines.size() - 1 && lines.size() < warnings.size();
        line->setToolTip(counts ? warnings.mid(i).join(u'\n') : text);
        line->setVisible(!text.isEmpty());
    }
    m_warningBox->setVisible(!lines.isEmpty());
    fitMessage();
}

void DropZonePages::fitMessage() {
    // With large text the title, the warnings and the instruction may need all the room there is:
    // the symbol gives way first, as the title says the same ("Sent …").
    if (width() <= 0)
        return;
    m_icon->show();
    QLayout* column = m_messagePage->layout();
    column->invalidate();
    const int needed =
        column->hasHeightForWidth() ? column->heightForWidth(width()) : column->sizeHint().height();
    m_icon->setVisible(needed <= height());
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
    if (event->type() == QEvent::FontChange)
        fitMessage();
}

void DropZonePages::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitMessage();
}
