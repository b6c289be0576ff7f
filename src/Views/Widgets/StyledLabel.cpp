#include "Views/Widgets/StyledLabel.h"

#include "Views/Widgets/PlainToolTips.h"

#include <QApplication>
#include <QEvent>
#include <QTextLayout>

StyledLabel::StyledLabel(const QString& text, Style::TextStyle textStyle, QFont::Weight weight,
                         Style::Tone tone, QWidget* parent)
    : QLabel(parent)
    , m_fullText(text)
    , m_tone(tone) {
    PlainToolTips::install();
    setTextFormat(Qt::PlainText);
    // Inside a button the inherited background role would make the text ButtonText.
    setForegroundRole(QPalette::WindowText);
    setFont(Style::withWeight(Style::font(textStyle), weight));
    applyTone();
    relayout();
}

void StyledLabel::setText(const QString& text) {
    if (text == m_fullText)
        return;
    m_fullText = text;
    reshape();
}

void StyledLabel::setTone(Style::Tone tone) {
    if (tone == m_tone)
        return;
    m_tone = tone;
    applyTone();
}

void StyledLabel::setTextStyle(Style::TextStyle textStyle, QFont::Weight weight) {
    setFont(Style::withWeight(Style::font(textStyle), weight)); // reshapes on the font change
}

QColor StyledLabel::textColor() const {
    return palette().color(QPalette::WindowText);
}

void StyledLabel::setElideMode(Qt::TextElideMode mode) {
    m_elideMode = mode;
    m_maximumLines = 1;
    setWordWrap(false);
    reshape();
}

void StyledLabel::setKeptEnd(qsizetype length) {
    if (length == m_keptEnd)
        return;
    m_keptEnd = length;
    reshape();
}

void StyledLabel::setMaximumLines(int lines) {
    m_maximumLines = std::max(0, lines);
    reshape();
}

int StyledLabel::lineHeight() const {
    return fontMetrics().lineSpacing();
}

void StyledLabel::reshape() {
    m_naturalWidth = -1;
    m_linesByWidth.clear();
    m_textHeightByWidth.clear();
    relayout();
    updateGeometry();
}

QStringList StyledLabel::linesFor(int width) const {
    if (const QStringList* found = m_linesByWidth.find(width))
        return *found;
    return m_linesByWidth.insert(width, shapedLines(width));
}

QStringList StyledLabel::shapedLines(int width) const {
    if (m_maximumLines == 1) {
        if (m_elideMode == Qt::ElideNone || width <= 0)
            return {m_fullText};
        const QFontMetrics metrics = fontMetrics();
        if (m_elideMode == Qt::ElideRight && m_keptEnd > 0 && m_keptEnd < m_fullText.size() &&
            metrics.horizontalAdvance(m_fullText) > width) {
            const QString end = m_fullText.right(m_keptEnd);
            const int room = std::max(0, width - metrics.horizontalAdvance(end));
            return {metrics.elidedText(m_fullText.left(m_fullText.size() - m_keptEnd),
                                       Qt::ElideRight, room) +
                    end};
        }
        return {metrics.elidedText(m_fullText, m_elideMode, width)};
    }
    // Wrap at word boundaries (or anywhere, for words longer than a line).
    QStringList lines;
    for (const QString& paragraph : m_fullText.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(1, width));
            lines.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (paragraph.isEmpty())
            lines.append(QString());
    }
    for (QString& line : lines) {
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
    }
    if (m_maximumLines > 0 && lines.size() > m_maximumLines) {
        QString rest = lines.mid(m_maximumLines - 1).join(QLatin1Char(' '));
        lines = lines.mid(0, m_maximumLines - 1);
        lines.append(fontMetrics().elidedText(rest, Qt::ElideRight, std::max(1, width)));
    }
    return lines;
}

void StyledLabel::relayout() {
    const QString shown = linesFor(contentsRect().width()).join(QLatin1Char('\n'));
    if (shown != QLabel::text())
        QLabel::setText(shown);
}

QSize StyledLabel::sizeHint() const {
    const QMargins margins = contentsMargins();
    const int extra = margins.left() + margins.right();
    if (m_naturalWidth < 0) {
        m_naturalWidth = 0;
        for (const QString& paragraph : m_fullText.split(QLatin1Char('\n')))
            m_naturalWidth = std::max(m_naturalWidth, fontMetrics().horizontalAdvance(paragraph));
    }
    int width = m_naturalWidth;
    if (m_maximumLines != 1)
        width = std::min(width, 320);
    return {width + extra + 1, heightForWidth(width + extra + 1)};
}

QSize StyledLabel::minimumSizeHint() const {
    if (m_maximumLines == 1 && m_elideMode == Qt::ElideNone)
        return sizeHint();
    const QMargins margins = contentsMargins();
    return {margins.left() + margins.right() + fontMetrics().horizontalAdvance(QStringLiteral("…")),
            lineHeight() + margins.top() + margins.bottom()};
}

bool StyledLabel::hasHeightForWidth() const {
    return m_maximumLines != 1;
}

int StyledLabel::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const int inner = width - margins.left() - margins.right();
    const int* found = m_textHeightByWidth.find(inner);
    if (!found) {
        // Measured the way the text is drawn, so the last line's descenders are never cut.
        const QString shown = linesFor(inner).join(QLatin1Char('\n'));
        found = &m_textHeightByWidth.insert(
            inner,
            fontMetrics()
                .boundingRect(QRect(0, 0, std::max(1, inner), 100000), int(alignment()), shown)
                .height());
    }
    return std::max(*found, lineHeight()) + margins.top() + margins.bottom();
}

void StyledLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        applyTone();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        reshape();
    QLabel::changeEvent(event);
}

void StyledLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    relayout();
}

void StyledLabel::applyTone() {
    // The tone is derived from the palette this label inherits, not from its own, which
    // already carries the derived colour.
    if (m_applyingTone)
        return;
    m_applyingTone = true;
    const QPalette inherited =
        parentWidget() ? parentWidget()->palette() : QApplication::palette(this);
    const QColor color = Style::color(m_tone, inherited);
    QPalette own = palette();
    own.setColor(QPalette::WindowText, color);
    own.setColor(QPalette::Text, color);
    setPalette(own);
    m_applyingTone = false;
}
