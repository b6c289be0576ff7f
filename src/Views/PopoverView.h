#pragma once

#include <QWidget>

class AppState;
class LoginItem;
class QLabel;
class QMenu;
class QToolButton;
class QAction;

// The popover's content, 360 x 520. For now it holds the main screen's header: the glyph, the
// name, the settings menu and the close button; the screens below it come with their views.
class PopoverView : public QWidget {
    Q_OBJECT

public:
    explicit PopoverView(AppState& appState, QWidget* parent = nullptr);

    AppState& appState() { return m_appState; }
    QMenu* settingsMenu() const { return m_settingsMenu; }
    QAction* startAtLoginAction() const { return m_startAtLogin; }
    LoginItem* loginItem() const { return m_loginItem; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateGlyphs();

    AppState& m_appState;
    LoginItem* m_loginItem = nullptr;
    QLabel* m_glyph = nullptr;
    QToolButton* m_settingsButton = nullptr;
    QMenu* m_settingsMenu = nullptr;
    QAction* m_startAtLogin = nullptr;
};
