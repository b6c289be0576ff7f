#include "AppDelegate.h"

#include "Support/Desktop/ServicesProvider.h"
#include "Support/Desktop/Symbols.h"
#include "Support/Drawing/SewingMachineIcon.h"
#include "Views/AboutBox.h"
#include "Views/PopoverView.h"
#include "Views/PopoverWindow.h"
#include "Views/PreviewCache.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

AppDelegate* sharedDelegate = nullptr;

constexpr int launchOpeningDelayMs = 500;
constexpr qreal trayPointSize = 18;

} // namespace

AppDelegate::AppDelegate(std::unique_ptr<QSettings> store, QObject* parent)
    : AppDelegate(std::move(store), Options{}, parent) {}

AppDelegate::AppDelegate(std::unique_ptr<QSettings> store, Options options, QObject* parent)
    : QObject(parent)
    , m_options(options)
    // The panel stays live while another writer holds the store or the disk flushes it.
    , m_appState(
          std::make_unique<AppState>(std::move(store), AppState::StoreWork::onItsOwnThread)) {
    sharedDelegate = this;
    // A sent design's size comes from the preview its recent-send card shows: decoded once,
    // while the upload runs, and found in the cache when the card asks.
    m_appState->setPreviewSource(
        [](QUrl fileURL) { return PreviewCache::shared().preview(std::move(fileURL)); });
}

AppDelegate::~AppDelegate() {
    if (sharedDelegate == this)
        sharedDelegate = nullptr;
    if (qApp)
        qApp->removeEventFilter(this);
    // The popover's views refer to the state; they go first.
    delete m_popover;
    delete m_trayMenu;
}

AppDelegate* AppDelegate::shared() {
    return sharedDelegate;
}

void AppDelegate::applicationDidFinishLaunching() {
    if (m_popover)
        return;
    setupMainMenu();

    if (m_options.useSessionBus) {
        m_services = new ServicesProvider(this);
        connect(m_services, &ServicesProvider::filesReceived, this, &AppDelegate::receive);
        // Without a session bus there is nobody to hand files over; that is not an error.
        m_services->registerOn(QDBusConnection::sessionBus());
    }

    createStatusItem();

    Symbols::useFallbackTheme();
    m_popoverView = new PopoverView(*m_appState);
    connect(m_popoverView, &PopoverView::closeRequested, this, &AppDelegate::closePopover);
    m_popover = new PopoverWindow(m_popoverView);
    m_popover->addAction(m_quitAction);

    if (m_appState->opensOnLaunch())
        QTimer::singleShot(launchOpeningDelayMs, this, &AppDelegate::showPopover);

    // Without a tray the window is the only way in: show it now.
    if (!m_statusItem)
        showPopover();

    qApp->installEventFilter(this);
}

void AppDelegate::setupMainMenu() {
    m_quitAction = new QAction(QStringLiteral("Quit Bobbinlark"), this);
    m_quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quitAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);

    // Some trays deliver no plain left click, so the icon always has this menu.
    m_trayMenu = new QMenu;
    connect(m_trayMenu->addAction(QStringLiteral("About Bobbinlark")), &QAction::triggered, this,
            &AppDelegate::showAbout);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_quitAction);
}

void AppDelegate::createStatusItem() {
    if (!m_options.useTray || m_statusItem)
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // A tray may appear later (a panel starting after us at login); nothing signals it.
        if (!m_trayPoll) {
            m_trayPoll = new QTimer(this);
            connect(m_trayPoll, &QTimer::timeout, this, &AppDelegate::createStatusItem);
            m_trayPoll->start(m_options.trayPollIntervalMs);
        }
        return;
    }
    if (m_trayPoll) {
        m_trayPoll->stop();
        m_trayPoll->deleteLater();
        m_trayPoll = nullptr;
    }

    m_statusItem = new QSystemTrayIcon(this);
    updateTrayIcon();
    connect(m_statusItem, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Every click toggles: a quick second click arrives as a double click.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    togglePopover();
            });
    m_statusItem->setToolTip(QStringLiteral("Bobbinlark — drop designs here to send them"));
    m_statusItem->setContextMenu(m_trayMenu);
    m_statusItem->show();
}

void AppDelegate::updateTrayIcon() {
    if (!m_statusItem)
        return;
    const QColor text = QGuiApplication::palette().color(QPalette::WindowText);
    m_statusItem->setIcon(SewingMachineIcon::icon(trayPointSize, text));
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        updateTrayIcon();
    return QObject::eventFilter(watched, event);
}

bool AppDelegate::windowsCanPlaceThemselves() const {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool AppDelegate::isPopoverShown() const {
    return m_popover && m_popover->isVisible();
}

void AppDelegate::togglePopover() {
    if (!isPopoverShown())
        showPopover();
    else
        closePopover();
}

void AppDelegate::closePopover() {
    if (isPopoverShown())
        m_popover->hide();
}

void AppDelegate::showRequested() {
    if (isPopoverShown()) {
        m_popover->raise();
        m_popover->activateWindow();
        return;
    }
    showPopover();
}

void AppDelegate::showPopover() {
    if (!m_popover || m_popover->isVisible())
        return;
    // Without a tray the popover is an ordinary window and still opens: it is the only way in.

    if (std::holds_alternative<SendStatuses::Error>(m_appState->sendStatus()))
        m_appState->setSendStatus(SendStatuses::Idle{});

    // The tray may have appeared since the last opening; the icon's place is known only now.
    m_popover->setFloating(m_statusItem && windowsCanPlaceThemselves());
    m_popover->setComposited(PopoverWindow::compositorRuns());
    if (m_popover->isFloating()) {
        const QRect icon = m_statusItem->geometry();
        const QPoint pointer = QCursor::pos();
        const QPoint anchor = icon.isValid() && !icon.isEmpty() ? icon.center() : pointer;
        QScreen* screen = QGuiApplication::screenAt(anchor);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            // The panel goes where it belongs; a shadow around it may reach past the screen.
            const QMargins shadow = m_popover->panelMargins();
            m_popover->move(PopoverWindow::placement(PopoverWindow::contentSize, icon, pointer,
                                                     screen->availableGeometry()) -
                            QPoint(shadow.left(), shadow.top()));
        }
    }
    m_popover->show();
    m_popover->raise();
    m_popover->activateWindow();
    m_popoverView->setFocus(Qt::PopupFocusReason);

    startMachineChecks();
    emit popoverOpened();
}

void AppDelegate::receive(const QList<QUrl>& fileURLs) {
    // Callers return before the popover opens or anything is queued.
    QMetaObject::invokeMethod(
        this,
        [this, fileURLs] {
            showPopover();
            sendFiles(fileURLs);
        },
        Qt::QueuedConnection);
}

void AppDelegate::showAbout() {
    auto* about = new AboutBox;
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void AppDelegate::sendFiles(const QList<QUrl>& fileURLs) {
    m_appState->send(fileURLs);
}

void AppDelegate::startMachineChecks() {
    // Not awaited and not kept: the checks run on while the popover is open.
    [[maybe_unused]] QCoro::Task<> checks = m_appState->popoverDidOpen();
}
