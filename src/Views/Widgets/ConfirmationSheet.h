#pragma once

#include <QWidget>

#include <functional>

class ControlButton;
class QShortcut;
class StyledLabel;

// A question laid over a screen inside the panel, with a destructive button and "Cancel". A
// tray panel is a window of its own that other windows cover, so a separate dialog window
// could get lost behind them; the sheet stays in the panel. Escape, "Cancel" and a click
// beside the card dismiss it. While it shows, the screen's header is disabled so its Escape
// shortcut goes to the sheet. Tab goes round its two buttons only; it reads as a dialog named
// by its question.
class ConfirmationSheet : public QWidget {
    Q_OBJECT

public:
    // Covers `screen` (its parent) whenever it is shown.
    explicit ConfirmationSheet(QWidget* screen);

    // Shows the sheet. `onConfirm` runs when the destructive button is pressed, `onDismiss`
    // when the sheet goes away any other way; never both, and at most once.
    void present(const QString& title, const QString& confirmText, std::function<void()> onConfirm,
                 std::function<void()> onDismiss);
    // Hides the sheet as a dismissal.
    void dismiss();
    bool isPresented() const { return m_presented; }

    QString title() const;
    // The destructive button's whole text (the button may show it shortened).
    QString confirmText() const { return m_confirmText; }
    ControlButton* confirmButton() const { return m_confirm; }
    ControlButton* cancelButton() const { return m_cancel; }
    QWidget* card() const { return m_card; }

    // The widget disabled while the sheet shows (the screen's header).
    void setBlockedWhilePresented(QWidget* widget) { m_blocked = widget; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void close(bool confirmed);
    void applyDestructiveTone();

    QWidget* m_card;
    StyledLabel* m_title;
    ControlButton* m_confirm;
    ControlButton* m_cancel;
    QShortcut* m_escape;
    QWidget* m_blocked = nullptr;
    QString m_confirmText;
    std::function<void()> m_onConfirm;
    std::function<void()> m_onDismiss;
    bool m_presented = false;
};
