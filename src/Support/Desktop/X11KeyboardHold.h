#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

class QWidget;

// The keyboard for a window that places itself (override-redirect) where the desktop will not
// give it the input focus: a wlroots compositor (sway) sends XWayland's focus straight back, so
// such a window would never hear a key. The X11 answer is a keyboard grab, held while the window
// is shown and given back as soon as another window takes the focus; a click on the window takes
// the keyboard again. Where the window gets the focus the ordinary way, nothing is grabbed.
class X11KeyboardHold : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    // `window` is a top-level widget; the hold lives as long as it does.
    explicit X11KeyboardHold(QWidget* window);
    ~X11KeyboardHold() override;

    // From now until stop(), the window takes the keyboard whenever it is on the screen without
    // the focus: now, and again after each click on it.
    void start();
    void stop();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listen();
    void take();
    void tryToTake();
    void release();

    QWidget* m_window;
    bool m_listens = false;
    bool m_started = false;
    bool m_holds = false;
    int m_attempts = 0;
    // The X11 input focus when the window last set out to take the keyboard.
    uint32_t m_focusBefore = 0;
};
