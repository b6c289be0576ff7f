#pragma once

#include "State/AppState.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QSettings>
#include <QUrl>
#include <QUuid>

#include <memory>
#include <optional>

class DesktopNotifier;
class PopoverView;
class PopoverWindow;
class QAction;
class QMenu;
class QTimer;
class ServicesProvider;
class TrayIcon;

// The program's shell: owns the one AppState, the tray icon and the popover, and takes files
// from outside the popover (command-line files, later launches, the session bus).
class AppDelegate : public QObject {
    Q_OBJECT

public:
    struct Options {
        // Publish SendFiles on the session bus.
        bool useSessionBus = true;
        // Use the system tray when there is one. Off, the popover opens as a window of its own.
        bool useTray = true;
        // Where a batch that ends while the popover is closed is said: the session bus when
        // useSessionBus is on, unless another is given here.
        std::optional<QDBusConnection> notificationBus;
    };

    explicit AppDelegate(std::unique_ptr<QSettings> store, QObject* parent = nullptr);
    AppDelegate(std::unique_ptr<QSettings> store, Options options, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The delegate of this process, if one exists.
    static AppDelegate* shared();

    AppState& appState() { return *m_appState; }

    // Builds the menu, the bus service, the tray icon and the popover; called once the event
    // loop runs.
    void applicationDidFinishLaunching();

    // Opens the popover if closed, else closes it (a tray icon click).
    void togglePopover();
    // Closes the popover if it is open (the close button, Escape).
    void closePopover();
    // A later launch without files: bring the popover up.
    void showRequested();
    // Files from outside: on the next turn of the event loop, open the popover and send them
    // all in one request.
    void receive(const QList<QUrl>& fileURLs);

    // The tray icon while a tray shows it, else null.
    TrayIcon* statusItem() const;
    PopoverWindow* popover() const { return m_popover; }
    bool isPopoverShown() const;
    QMenu* trayMenu() const { return m_trayMenu; }
    QAction* quitAction() const { return m_quitAction; }
    // Says how batches ended while the popover was closed; null without a bus.
    DesktopNotifier* notifier() const { return m_notifier; }

signals:
    // Each opening of the popover, after it is shown (the machine checks have started).
    void popoverOpened();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupMainMenu();
    void createStatusItem();
    void createNotifier();
    void showPopover();
    void placePopover();
    void updateTrayIcon();
    void updateTrayToolTip();
    // The tooltip's line under the program's name: a send under way or its failure, else the
    // selected machine and whether it answers.
    QString trayStatusLine() const;
    void showAbout();
    static bool windowsCanPlaceThemselves();

    // The two state operations the shell starts; each is one line so the wiring is plain.
    void sendFiles(const QList<QUrl>& fileURLs);
    void startMachineChecks();
    void noteBatchStart();
    void notifyBatchEnd();

    Options m_options;
    std::unique_ptr<AppState> m_appState;
    TrayIcon* m_tray = nullptr;
    // Where the tray last said the user clicked, if it said: the icon's place, also for an
    // opening that no click started (files handed over).
    std::optional<QPoint> m_click;
    PopoverWindow* m_popover = nullptr;
    PopoverView* m_popoverView = nullptr;
    QMenu* m_trayMenu = nullptr;
    QAction* m_quitAction = nullptr;
    ServicesProvider* m_services = nullptr;
    DesktopNotifier* m_notifier = nullptr;
    // The recent sends before the running batch, to tell which ones it recorded.
    std::optional<QSet<QUuid>> m_sendsBeforeBatch;
};
