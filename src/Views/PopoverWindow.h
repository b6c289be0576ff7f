#pragma once

#include <QColor>
#include <QMargins>
#include <QRegion>
#include <QWidget>

class QPalette;

// The window around the popover's content. Floating, it is a frameless 360 x 520 panel that
// stays open when the user clicks elsewhere, placed under the tray icon when it opens; as an
// ordinary window (no tray, or a desktop where windows cannot place themselves) it has a frame
// and the window manager places it. A floating panel has the edge desktops give their popups:
// where a compositor runs, rounded corners and a soft shadow in a transparent margin around
// it; where none does, a one-pixel border that stands out from any window behind.
class PopoverWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize contentSize{360, 520};
    static constexpr int shadowMargin = 16;
    static constexpr double cornerRadius = 10;
    // Space between the tray icon (or the pointer) and the panel.
    static constexpr int gap = 4;

    explicit PopoverWindow(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }

    bool isFloating() const { return m_isFloating; }
    // Takes effect the next time the window is shown; ignored while it is visible.
    void setFloating(bool floating);
    bool isComposited() const { return m_isComposited; }
    // Whether the floating panel is drawn for a compositor (rounded, with a shadow). Takes
    // effect before the window is first shown.
    void setComposited(bool composited);
    // Where the panel lies inside the window: the shadow's margin when composited.
    QMargins panelMargins() const;
    // Where the window takes clicks: the panel, never its shadow, so that a click on the shadow
    // reaches the window below.
    QRegion inputRegion() const;

    // Whether a compositing manager runs on the display (always on Wayland).
    static bool compositorRuns();
    // The panel's border: grey enough for 3:1 against white, black and the panel itself.
    static QColor edgeColor(const QPalette& palette);

    // Where a floating panel of `size` goes: centred under the tray icon when its geometry is
    // known (above it when the icon sits in the lower half of the screen), else at the pointer;
    // always inside `available`.
    static QPoint placement(const QSize& size, const QRect& iconGeometry, const QPoint& pointer,
                            const QRect& available);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyFlags();
    void applyEdge();
    // Hands inputRegion() to the display server, once the window exists there.
    void applyInputRegion();

    QWidget* m_content;
    QWidget* m_edge;
    bool m_isFloating = true;
    bool m_isComposited = false;
};
