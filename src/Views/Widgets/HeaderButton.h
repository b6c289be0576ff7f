#pragma once

#include "Support/Desktop/Style.h"
#include "Views/Widgets/PaintedButton.h"

#include <QMenu>
#include <QPointer>

#include <functional>

class Spinner;

// The panel's header button: a symbol in a 28 x 28 square with a faint rounded highlight while
// hovered (0.08 of the text colour) or pressed (0.16); the whole square takes clicks. Disabled
// buttons draw their symbol in the tertiary tone and never highlight. It can also open a menu
// when pressed (a menu button without indicator) or show a spinner in place of its symbol.
// From the keyboard it is a Tab stop with a ring in the accent colour; Space and Return press
// it, or open its menu (so do Down and the context menu key).
class HeaderButton : public PaintedButton {
    Q_OBJECT
    // Whether it reads as a menu button.
    Q_PROPERTY(bool hasMenu READ hasMenu)

public:
    static constexpr int side = 28;

    explicit HeaderButton(const QString& symbol, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    // The symbol's size in pixels (16, body text, by default).
    void setSymbolSize(int size);
    // The symbol's tone while enabled (primary by default).
    void setSymbolTone(Style::Tone tone);
    Style::Tone symbolTone() const { return m_tone; }
    // The tone the symbol is drawn in now.
    Style::Tone currentTone() const { return isEnabled() ? m_tone : Style::Tone::tertiary; }

    // A spinner in place of the symbol (a check running).
    void setBusy(bool busy);
    bool isBusy() const;

    // Pressing opens `menu` under the button instead of clicking.
    void setMenu(QMenu* menu);
    // The same with a menu made when it is first needed; `edge` says which edges of the menu
    // and the button line up (left, or right so the menu stays over the panel).
    void setMenu(std::function<QMenu*()> source, Qt::AlignmentFlag edge = Qt::AlignLeft);
    // The menu once made (always for a menu given directly); null without one.
    QMenu* menu() const { return m_menu; }
    bool hasMenu() const { return m_menu || m_menuSource; }

    bool isHovering() const { return m_isHovering; }
    // The highlight's opacity for the current state.
    double highlightOpacity() const;

    QSize sizeHint() const override { return {side, side}; }

public slots:
    // Opens the menu under the button, pressed until it closes; nothing without a menu.
    void showMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QMenu* ensureMenu();

    QString m_symbol;
    int m_symbolSize = 16;
    Style::Tone m_tone = Style::Tone::primary;
    bool m_isHovering = false;
    QPointer<QMenu> m_menu;
    std::function<QMenu*()> m_menuSource;
    Qt::AlignmentFlag m_menuEdge = Qt::AlignLeft;
    Spinner* m_spinner = nullptr;
};

// The main screen's close button: "xmark", Escape. Whoever shows the panel closes it on
// `clicked`.
class CloseButton : public HeaderButton {
    Q_OBJECT

public:
    explicit CloseButton(QWidget* parent = nullptr);
};
