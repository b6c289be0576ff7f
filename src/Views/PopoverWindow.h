#pragma once

#include <QWidget>

// The window around the popover's content. Floating, it is a frameless 360 x 520 panel that
// stays open when the user clicks elsewhere, placed under the tray icon when it opens; as an
// ordinary window (no tray, or a desktop where windows cannot place themselves) it has a frame
// and the window manager places it.
class PopoverWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize contentSize{360, 520};
    // Space between the tray icon (or the pointer) and the panel.
    static constexpr int gap = 4;

    explicit PopoverWindow(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }

    bool isFloating() const { return m_isFloating; }
    // Takes effect the next time the window is shown; ignored while it is visible.
    void setFloating(bool floating);

    // Where a floating panel of `size` goes: centred under the tray icon when its geometry is
    // known (above it when the icon sits in the lower half of the screen), else at the pointer;
    // always inside `available`.
    static QPoint placement(const QSize& size, const QRect& iconGeometry, const QPoint& pointer,
                            const QRect& available);

private:
    void applyFlags();

    QWidget* m_content;
    bool m_isFloating = true;
};
