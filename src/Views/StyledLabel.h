#pragma once

#include "Support/Style.h"

#include <QLabel>

// A label in one of the panel's text styles and tones that keeps its tone when the theme
// changes, and can shorten its text: one line elided at a chosen place, or wrapped onto at most
// a number of lines with the last one elided.
class StyledLabel : public QLabel {
    Q_OBJECT

public:
    explicit StyledLabel(const QString& text = {},
                         Style::TextStyle textStyle = Style::TextStyle::body,
                         QFont::Weight weight = QFont::Normal,
                         Style::Tone tone = Style::Tone::primary, QWidget* parent = nullptr);

    // The whole text; text() is what is shown after shortening.
    QString fullText() const { return m_fullText; }
    void setText(const QString& text);

    Style::Tone tone() const { return m_tone; }
    void setTone(Style::Tone tone);
    void setTextStyle(Style::TextStyle textStyle, QFont::Weight weight = QFont::Normal);
    // The colour the text is drawn in now.
    QColor textColor() const;

    // One line, shortened at `mode` when too long (Qt::ElideNone: never shortened).
    void setElideMode(Qt::TextElideMode mode);
    // Wrapped onto at most `lines` lines, the last elided at its end; 0 wraps without limit.
    void setMaximumLines(int lines);
    int maximumLines() const { return m_maximumLines; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyTone();
    void relayout();
    QStringList linesFor(int width) const;
    int lineHeight() const;

    QString m_fullText;
    Style::Tone m_tone;
    Qt::TextElideMode m_elideMode = Qt::ElideNone;
    int m_maximumLines = 1;
    bool m_applyingTone = false;
};
