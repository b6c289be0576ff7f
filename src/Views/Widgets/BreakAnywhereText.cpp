#include "Views/Widgets/BreakAnywhereText.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QResizeEvent>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

BreakAnywhereText::BreakAnywhereText(const QFont& font, Style::Tone tone, QWidget* parent)
    : QTextEdit(parent)
    , m_tone(tone, QPalette::Text) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setWordWrapMode(QTextOption::WrapAnywhere);
    setFont(font);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_tone.applyTo(*this);
}

void BreakAnywhereText::setText(const QString& text) {
    if (text == toPlainText())
        return;
    setPlainText(text);
    updateGeometry();
}

int BreakAnywhereText::heightForWidth(int width) const {
    QTextDocument measure;
    measure.setDefaultFont(font());
    measure.setDocumentMargin(0);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    measure.setDefaultTextOption(option);
    measure.setPlainText(toPlainText());
    measure.setTextWidth(wrapWidth(width));
    return static_cast<int>(std::ceil(measure.size().height()));
}

QSize BreakAnywhereText::sizeHint() const {
    const int width = std::max(this->width(), 100);
    return {width, heightForWidth(width)};
}

QSize BreakAnywhereText::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("00:")), fontMetrics().lineSpacing()};
}

void BreakAnywhereText::resizeEvent(QResizeEvent* event) {
    setLineWrapColumnOrWidth(wrapWidth(event->size().width()));
    QTextEdit::resizeEvent(event);
    if (height() != heightForWidth(width()))
        updateGeometry();
}

void BreakAnywhereText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        m_tone.applyTo(*this);
    QTextEdit::changeEvent(event);
}

int BreakAnywhereText::wrapWidth(int width) const {
    const qreal group = QFontMetricsF(font()).horizontalAdvance(QStringLiteral("00:"));
    const qreal groups = std::max(1.0, std::floor(width / group));
    return static_cast<int>(std::ceil(groups * group)) + 1;
}
