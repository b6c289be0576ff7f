#pragma once

#include "Views/Widgets/KeyboardFocus.h"

#include <QPushButton>

// A text button drawn the same in every theme: bordered (a faint fill of the text colour) or
// prominent (filled with the accent colour, white text), at the small or the regular control
// size. Hover and press darken the fill; disabled buttons fade. Space and Return press it when
// it has the focus, which shows as a ring when the keyboard put it there.
class ControlButton : public QPushButton {
    Q_OBJECT

public:
    enum class Kind { bordered, prominent };
    enum class Size { small, regular };

    explicit ControlButton(const QString& text, Kind kind = Kind::bordered, Size size = Size::small,
                           QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    Size controlSize() const { return m_size; }
    // An optional symbol before the text (regular buttons of the bottom bars).
    void setSymbol(const QString& symbol);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool isFocusRingVisible() const { return m_focus.isVisible(hasFocus()); }
    // The text as drawn: shortened at its end when the button is given less than it needs,
    // after the symbol has given way.
    QString shownText() const;
    bool showsSymbol() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int symbolSize() const;
    int padding() const;

    Kind m_kind;
    Size m_size;
    QString m_symbol;
    bool m_isHovering = false;
    KeyboardFocus m_focus;
};
