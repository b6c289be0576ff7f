#pragma once

#include "Support/Desktop/Style.h"

#include <QLabel>

#include <array>
#include <limits>

// A label in one of the panel's text styles and tones that keeps its tone when the theme
// changes, and can shorten its text: one line elided at a chosen place, or wrapped onto at most
// a number of lines with the last one elided.
class StyledLabel : public QLabel {
    Q_OBJECT
    // What it reads as: the whole text.
    Q_PROPERTY(QString fullText READ fullText)

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
    // With a one-line label elided at its right end: the last `length` characters always show,
    // and the text before them gives way instead ("Sent to A long na… · 14:05").
    void setKeptEnd(qsizetype length);
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
    // The lines shown at a content width.
    QStringList linesFor(int width) const;
    QStringList shapedLines(int width) const;
    int lineHeight() const;
    // The text, font or shortening changed: forgets what was worked out for each width, shows
    // the text again and tells the layout.
    void reshape();

    QString m_fullText;
    Style::Tone m_tone;
    Qt::TextElideMode m_elideMode = Qt::ElideNone;
    int m_maximumLines = 1;
    qsizetype m_keptEnd = 0;
    bool m_applyingTone = false;
    // Shaping text is the costly part of laying out a list of cards, and layouts ask again and
    // again for the same few widths (a window's layout searches for the width that fits): the
    // answers are kept by width.
    template <typename T>
    class ByWidth {
    public:
        ByWidth() { clear(); }
        const T* find(int width) const {
            for (std::size_t i = 0; i < size; ++i)
                if (m_widths[i] == width)
                    return &m_values[i];
            return nullptr;
        }
        // Replaces the oldest answer.
        const T& insert(int width, T value) {
            const std::size_t slot = m_next;
            m_next = (m_next + 1) % size;
            m_widths[slot] = width;
            m_values[slot] = std::move(value);
            return m_values[slot];
        }
        void clear() { m_widths.fill(noWidth); }

    private:
        static constexpr std::size_t size = 8;
        // Marks a free slot; a layout may ask about a negative width, never about this one.
        static constexpr int noWidth = std::numeric_limits<int>::min();
        std::array<int, size> m_widths;
        std::array<T, size> m_values{};
        std::size_t m_next = 0;
    };
    mutable int m_naturalWidth = -1; // of the widest paragraph, unshortened
    mutable ByWidth<QStringList> m_linesByWidth;
    mutable ByWidth<int> m_textHeightByWidth;
};
