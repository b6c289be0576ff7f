#pragma once

#include <QColor>
#include <QMargins>
#include <QRegion>
#include <QWidget>

class QPalette;
class X11KeyboardHold;

// The window around the popover's content. Floating (a tray icon to open it against, on a desktop
// where windows place themselves), it is a frameless 360 x 520 panel that stays open when the
// user clicks elsewhere, placed under the tray icon when it opens. Otherwise (no tray, or a
// desktop where windows cannot place themselves) it is an ordinary top-level window that the
// desktop places and manages like any other: in its window list and task switcher, under other
// windows when they are raised. It is frameless there too, so its header is its one title, and
// a drag on the header moves it as a title bar would. A floating panel has the edge desktops give
// their popups: where a compositor runs, rounded corners and a soft shadow in a transparent margin
// around it; where none does, a one-pixel border that stands out from any window behind.
class PopoverWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize contentSize{360, 520};
    static constexpr int shadowMargin = 16;
    static constexpr double cornerRadius = 10;
    // Space between the tray icon (or the pointer) and the panel.
    static constexpr int gap = 4;
    // The screens' headers, along the panel's top: an ordinary window's title bar.
    static constexpr int headerHeight = 40;

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
    // Whether this is an X11 program on a Wayland desktop.
    static bool runsUnderXWayland();
    // Whether the floating panel places itself past the window manager (override-redirect):
    // under XWayland, whose compositors mostly centre a managed window wherever the program
    // asked it to go. Not under KWin (Plasma), which places X11 windows where they ask, as on
    // X11, and hands them the keyboard (never the panel placed past it), but fades in each
    // unmanaged window that is not a utility window: 150 ms before the panel is all there.
    static bool placesItselfUnmanaged();
    // The panel's border: grey enough for 3:1 against white, black and the panel itself.
    static QColor edgeColor(const QPalette& palette);

    // Where a floating panel of `size` goes: centred under the tray icon when its geometry is
    // known (above it when the icon sits in the lower half of the screen, beside it in a bar
    // down a side), else at the pointer; always inside `available`.
    // Where on `screen` a status-notifier host's reported click most likely was. Some hosts
    // (waybar) report the place inside the icon rather than on the screen: a click that lands
    // in a left corner of a bar is taken as that, for an icon at the bar's right end, where
    // trays live.
    static QPoint clickOnScreen(const QPoint& reported, const QRect& screen);
    // The icon a click at `click` most likely hit, when it lies in a bar along an edge of
    // `screen`: a square as deep as the bar, whose middle the click is taken to be. Empty
    // when the click is too far from every edge to be in a bar.
    static QRect iconAround(const QPoint& click, const QRect& screen);
    static QPoint placement(const QSize& size, const QRect& iconGeometry, const QPoint& pointer,
                            const QRect& available);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void applyFlags();
    void applyEdge();
    // Hands inputRegion() to the display server, once the window exists there.
    void applyInputRegion();

    QWidget* m_content;
    QWidget* m_edge;
    X11KeyboardHold* m_keyboard;
    bool m_isFloating = true;
    bool m_isComposited = false;
};
