#pragma once

#include "Support/Desktop/Style.h"
#include "Views/Widgets/InheritedTone.h"

#include <QTextEdit>

// A selectable fingerprint of digit pairs joined by ":". Such text has no place where text may
// normally break, and a label would widen the whole screen for it; so it wraps at a width of
// whole "AB:" groups, which makes every line end at a colon. A copy of it is the text as it is,
// without the line breaks it is shown with.
class BreakAnywhereText : public QTextEdit {
public:
    BreakAnywhereText(const QFont& font, Style::Tone tone, QWidget* parent);

    void setText(const QString& text);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The widest run of whole "AB:" groups that fits in `width`; the next character would need
    // a whole advance more, so the pixel of slack never lets a line end inside a group.
    int wrapWidth(int width) const;

    InheritedTone m_tone;
};
