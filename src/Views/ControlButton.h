#pragma once

#include <QPushButton>

// A text button drawn the same in every theme: bordered (a faint fill of the text colour) or
// prominent (filled with the accent colour, white text), at the small or the regular control
// size. Hover and press darken the fill; disabled buttons fade.
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
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    int symbolSize() const;

    Kind m_kind;
    Size m_size;
    QString m_symbol;
    bool m_isHovering = false;
    // The focus ring shows only for focus reached from the keyboard.
    bool m_keyboardFocus = false;
};
