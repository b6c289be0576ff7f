#pragma once

#include <QAbstractButton>

// A 28 x 28 header button showing a symbol: a faint rounded highlight while hovered (0.08 of the
// text colour) or pressed (0.16); the whole square takes clicks. Disabled buttons draw their
// symbol in the tertiary colour and never highlight.
class HeaderButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit HeaderButton(const QString& symbol, QWidget* parent = nullptr);

    bool isHovering() const { return m_isHovering; }
    // The highlight's opacity for the current state.
    double highlightOpacity() const;

    QSize sizeHint() const override { return {28, 28}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_symbol;
    bool m_isHovering = false;
};

// The header's close button: "xmark", Escape, closes the popover.
class CloseButton : public HeaderButton {
    Q_OBJECT

public:
    explicit CloseButton(QWidget* parent = nullptr);
};
