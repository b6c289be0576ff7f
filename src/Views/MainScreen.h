#pragma once

#include "Views/Screen.h"

#include <QWidget>

#include <functional>

class AppState;
class CloseButton;
class DropZone;
class MachineBar;
class HeaderButton;
class LoginItem;
class QAction;
class QLabel;
class QMenu;

// The first screen: the header (glyph, name, settings menu, close button), a divider, the
// machine bar, the drop zone and the recent sends. Made afresh each time it comes into view,
// with a new login item that reads the autostart entry as it is now.
class MainScreen : public QWidget {
    Q_OBJECT

public:
    MainScreen(AppState& appState, std::function<void(const Screen&)> navigate,
               QWidget* parent = nullptr);

    HeaderButton* settingsButton() const { return m_settingsButton; }
    QMenu* settingsMenu() const { return m_settingsMenu; }
    QAction* machinesAction() const { return m_machinesAction; }
    QAction* addMachineAction() const { return m_addMachineAction; }
    QAction* startAtLoginAction() const { return m_startAtLogin; }
    QAction* quitAction() const { return m_quitAction; }
    CloseButton* closeButton() const { return m_closeButton; }
    LoginItem* loginItem() const { return m_loginItem; }
    QLabel* glyph() const { return m_glyph; }

    // The three parts below the header.
    MachineBar* machineBar() const { return m_machineBar; }
    DropZone* dropZone() const { return m_dropZone; }
    QWidget* recentSends() const { return m_recentSends; }

    static constexpr int dropZoneHeight = 170;

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* makeHeader();
    MachineBar* makeMachineBar();
    DropZone* makeDropZone();
    QWidget* makeRecentSends();
    void updateGlyph();

    AppState& m_appState;
    std::function<void(const Screen&)> m_navigate;
    LoginItem* m_loginItem = nullptr;
    QLabel* m_glyph = nullptr;
    HeaderButton* m_settingsButton = nullptr;
    QMenu* m_settingsMenu = nullptr;
    QAction* m_machinesAction = nullptr;
    QAction* m_addMachineAction = nullptr;
    QAction* m_startAtLogin = nullptr;
    QAction* m_quitAction = nullptr;
    CloseButton* m_closeButton = nullptr;
    MachineBar* m_machineBar = nullptr;
    DropZone* m_dropZone = nullptr;
    QWidget* m_recentSends = nullptr;
};
