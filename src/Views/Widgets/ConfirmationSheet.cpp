#include "Views/Widgets/ConfirmationSheet.h"

#include "Support/Desktop/Style.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/StyledLabel.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

constexpr int cardWidth = 260;

class Card : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
        const QColor window = palette().color(QPalette::Window);
        painter.fillPath(shape, Style::isDark(palette()) ? window.lighter(125) : window);
        painter.setPen(
            QPen(Style::withOpacity(Style::color(Style::Tone::primary, palette()), 0.14), 1));
        painter.drawPath(shape);
    }
};

} // namespace

ConfirmationSheet::ConfirmationSheet(QWidget* screen)
    : QWidget(screen)
    , m_card(new Card(this)) {
    hide();
    screen->installEventFilter(this);

    auto* column = new QVBoxLayout(m_card);
    column->setContentsMargins(16, 16, 16, 14);
    column->setSpacing(8);
    m_title = new StyledLabel(QString(), Style::TextStyle::headline, QFont::DemiBold,
                              Style::Tone::primary, m_card);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setMaximumLines(0);
    column->addWidget(m_title);
    column->addSpacing(6);

    // Prominent in the red of the theme: the one button that changes something.
    m_confirm = new ControlButton(QString(), ControlButton::Kind::prominent,
                                  ControlButton::Size::regular, m_card);
    m_confirm->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_confirm, &QAbstractButton::clicked, this, [this] { close(true); });
    column->addWidget(m_confirm);

    m_cancel = new ControlButton(tr("Cancel"), ControlButton::Kind::bordered,
                                 ControlButton::Size::regular, m_card);
    m_cancel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_cancel, &QAbstractButton::clicked, this, [this] { close(false); });
    column->addWidget(m_cancel);

    // Only matches while the sheet is visible; the header is disabled meanwhile, so this is
    // the one Escape shortcut of the window.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setContext(Qt::WindowShortcut);
    connect(m_escape, &QShortcut::activated, this, [this] { close(false); });
    applyDestructiveTone();
}

void ConfirmationSheet::present(const QString& title, const QString& confirmText,
                                std::function<void()> onConfirm, std::function<void()> onDismiss) {
    m_title->setText(title);
    // A long machine name is shortened in its middle so the button keeps the card's width.
    const int room = cardWidth - 32 - 24;
    m_confirm->setText(m_confirm->fontMetrics().elidedText(confirmText, Qt::ElideMiddle, room));
    m_confirm->setToolTip(confirmText);
    m_confirm->setAccessibleName(confirmText);
    setAccessibleName(title);
    m_confirmText = confirmText;
    m_onConfirm = std::move(onConfirm);
    m_onDismiss = std::move(onDismiss);
    m_presented = true;
    if (m_blocked)
        m_blocked->setEnabled(false);
    setGeometry(parentWidget()->rect());
    show();
    raise();
    // Lay the card out at its width, centred.
    const int height = m_card->layout()->heightForWidth(cardWidth) > 0
                           ? m_card->layout()->heightForWidth(cardWidth)
                           : m_card->sizeHint().height();
    m_card->setGeometry((width() - cardWidth) / 2, (this->height() - height) / 2, cardWidth,
                        height);
    // Shown as focused: Return and Space act on it, so where they go must be seen.
    m_cancel->setFocus(Qt::TabFocusReason);
}

void ConfirmationSheet::dismiss() {
    close(false);
}

QString ConfirmationSheet::title() const {
    return m_title->fullText();
}

void ConfirmationSheet::close(bool confirmed) {
    if (!m_presented)
        return;
    m_presented = false;
    hide();
    if (m_blocked)
        m_blocked->setEnabled(true);
    // Taken out first: the callback may destroy the screen and this sheet with it.
    std::function<void()> callback = confirmed ? std::move(m_onConfirm) : std::move(m_onDismiss);
    m_onConfirm = nullptr;
    m_onDismiss = nullptr;
    if (callback)
        callback();
}

bool ConfirmationSheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible()) {
        setGeometry(parentWidget()->rect());
        m_card->move((width() - m_card->width()) / 2, (height() - m_card->height()) / 2);
    }
    return QWidget::eventFilter(watched, event);
}

void ConfirmationSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, Style::isDark(palette()) ? 110 : 60));
}

void ConfirmationSheet::mousePressEvent(QMouseEvent* event) {
    // A click beside the card dismisses, as outside a menu; clicks never reach the screen.
    if (!m_card->geometry().contains(event->position().toPoint()))
        close(false);
    event->accept();
}

bool ConfirmationSheet::focusNextPrevChild(bool next) {
    // The screen behind is out of reach while the question is open.
    const QList<QWidget*> stops{m_confirm, m_cancel};
    const qsizetype current = stops.indexOf(QApplication::focusWidget());
    const qsizetype count = stops.size();
    const qsizetype target = current < 0 ? 0 : (current + (next ? 1 : count - 1)) % count;
    stops[target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void ConfirmationSheet::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        applyDestructiveTone();
    QWidget::changeEvent(event);
}

void ConfirmationSheet::applyDestructiveTone() {
    // The prominent button fills with the palette's highlight: red here, in the theme's red.
    QPalette colors = m_confirm->palette();
    const QColor red = Style::color(Style::Tone::red, palette());
    if (colors.color(QPalette::Highlight) == red)
        return;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colors.setColor(group, QPalette::Highlight, red);
    m_confirm->setPalette(colors);
}
