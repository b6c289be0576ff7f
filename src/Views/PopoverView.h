#pragma once

#include "Views/Screen.h"

#include <QList>
#include <QWidget>

#include <functional>

class AppState;
class MainScreen;
class QVBoxLayout;

// The popover's content, 360 x 520: the stack of screens and the one on top. An empty path
// shows the main screen. The path lives as long as this view (the whole process), so closing
// and reopening the popover shows the same screen.
class PopoverView : public QWidget {
    Q_OBJECT

public:
    // Handed to screens: push a screen, and go back one.
    using Navigate = std::function<void(const Screen&)>;
    using Back = std::function<void()>;

    explicit PopoverView(AppState& appState, QWidget* parent = nullptr);

    AppState& appState() { return m_appState; }

    const QList<Screen>& path() const { return m_path; }
    // Appends a screen; the same screen may be pushed more than once.
    void push(const Screen& screen);
    // Removes the top screen; nothing happens on an empty path.
    void pop();

    // The screen widget shown now, and its identity.
    QWidget* currentScreen() const { return m_current; }
    QString currentIdentity() const { return m_currentIdentity; }
    // The main screen when it is the one shown, else null.
    MainScreen* mainScreen() const;

signals:
    void pathChanged();
    // The main screen's close button was pressed (or Escape): the shell hides the panel.
    void closeRequested();

private:
    void showTop();
    QWidget* makeScreen(const Screen* top);

    // One builder per destination: the only place each screen's widget is made.
    QWidget* makeMainScreen();
    QWidget* makeMachinesView();
    QWidget* makeMachineEditView(const std::optional<SavedMachine>& machine);
    QWidget* makeMachineInfoView(const SavedMachine& machine);

    AppState& m_appState;
    QList<Screen> m_path;
    QVBoxLayout* m_layout;
    QWidget* m_current = nullptr;
    QString m_currentIdentity;
};
