#include "AppDelegate.h"

#include "Designs/PreviewCache.h"
#include "State/MachineList.h"
#include "State/MachineMonitor.h"
#include "State/SendQueue.h"
#include "Support/Desktop/BatchNotice.h"
#include "Support/Desktop/DesktopNotifier.h"
#include "Support/Desktop/ServicesProvider.h"
#include "Support/Desktop/Style.h"
#include "Support/Desktop/Symbols.h"
#include "Support/Desktop/TrayIcon.h"
#include "Support/Drawing/SewingMachineIcon.h"
#include "Views/AboutBox.h"
#include "Views/PopoverView.h"
#include "Views/PopoverWindow.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <array>

namespace {

AppDelegate* sharedDelegate = nullptr;

constexpr int launchOpeningDelayMs = 500;
// Trays show icons of 16 to 24 pixels; each picks the nearest of these.
constexpr std::array traySizes{16, 22, 24, 32, 48};
// Notification servers show an icon of 32 to 64 pixels.
constexpr int notificationIconSize = 64;

// The glyph where nothing tells the colour around it: light, with a dark edge.
QImage plainGlyph(int size) {
    return SewingMachineIcon::edgedImage(size, 1.0, QColor(0xf6, 0xf6, 0xf6),
                                         QColor(0x1a, 0x1a, 0x1a));
}

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
    createNotifier();

    Symbols::useFallbackTheme();
    m_popoverView = new PopoverView(*m_appState);
    connect(m_popoverView, &PopoverView::closeRequested, this, &AppDelegate::closePopover);
    m_popover = new PopoverWindow(m_popoverView);
    m_popover->addAction(m_quitAction);
    // What the window list and the task switcher show for the window without a tray (and for
    // the About box): the installed icon, else the glyph drawn here.
    QIcon glyph;
    for (const int size : traySizes)
        glyph.addPixmap(QPixmap::fromImage(plainGlyph(size)));
    QApplication::setWindowIcon(QIcon::fromTheme(QString(DesktopNotifier::appID), glyph));

    if (m_appState->store().opensOnLaunch()) {
        QTimer::singleShot(launchOpeningDelayMs, this, [this] {
            // Against the icon, or as an ordinary window without a tray: known once the desktop
            // has said whether it has one.
            if (m_tray && !m_tray->isSettled())
                connect(m_tray, &TrayIcon::settled, this, &AppDelegate::showPopover,
                        Qt::SingleShotConnection);
            else
                showPopover();
        });
    }

    // Without a tray the window is the only way in: show it as soon as that is known.
    if (!m_tray || m_tray->isSettled()) {
        if (!statusItem())
            showPopover();
    } else {
        connect(m_tray, &TrayIcon::settled, this, [this] {
            if (!statusItem())
                showPopover();
        });
    }

    qApp->installEventFilter(this);
}

void AppDelegate::setupMainMenu() {
    m_quitAction = new QAction(tr("Quit Bobbinlark"), this);
    m_quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quitAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);

    // Some trays deliver no plain left click, so the icon always has this menu, and it opens
    // the panel too: GNOME's AppIndicator extension shows it on a left click and activates the
    // item only on a double click.
    m_trayMenu = new QMenu;
    connect(m_trayMenu->addAction(tr("Open Bobbinlark")), &QAction::triggered, this, [this] {
        if (m_tray && m_tray->menuAnchor())
            m_click = m_tray->menuAnchor();
        showRequested();
    });
    connect(m_trayMenu->addAction(tr("About Bobbinlark")), &QAction::triggered, this,
            &AppDelegate::showAbout);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_quitAction);
}

void AppDelegate::createStatusItem() {
    if (!m_options.useTray || m_tray)
        return;
    m_tray = new TrayIcon(m_options.useSessionBus ? QDBusConnection::sessionBus()
                                                  : QDBusConnection(QString()),
                          m_trayMenu, this);
    updateTrayIcon();
    connect(m_tray, &TrayIcon::announcedColourChanged, this, &AppDelegate::updateTrayIcon);
    // The tooltip says how things stand, whatever changes it.
    updateTrayToolTip();
    connect(&m_appState->sendQueue(), &SendQueue::sendStatusChanged, this,
            &AppDelegate::updateTrayToolTip);
    connect(&m_appState->machineList(), &MachineList::selectedMachineIDChanged, this,
            &AppDelegate::updateTrayToolTip);
    connect(&m_appState->machineList(), &MachineList::machinesChanged, this,
            &AppDelegate::updateTrayToolTip);
    connect(&m_appState->monitor(), &MachineMonitor::reachabilityChanged, this,
            &AppDelegate::updateTrayToolTip);
    connect(m_tray, &TrayIcon::clicked, this, [this](std::optional<QPoint> position) {
        m_click = position;
        togglePopover();
    });
}

void AppDelegate::createNotifier() {
    std::optional<QDBusConnection> bus = m_options.notificationBus;
    if (!bus && m_options.useSessionBus)
        bus = QDBusConnection::sessionBus();
    if (!bus || !bus->isConnected())
        return;
    m_notifier = new DesktopNotifier(*bus, this);
    if (!QIcon::hasThemeIcon(QString(DesktopNotifier::appID)))
        m_notifier->setFallbackImage(plainGlyph(notificationIconSize));
    connect(m_notifier, &DesktopNotifier::activated, this, &AppDelegate::showRequested);
    const SendQueue& queue = m_appState->sendQueue();
    connect(&queue, &SendQueue::sendStatusChanged, this, &AppDelegate::noteBatchStart);
    connect(&queue, &SendQueue::batchFinished, this, &AppDelegate::notifyBatchEnd);
}

void AppDelegate::noteBatchStart() {
    if (m_sendsBeforeBatch ||
        !std::holds_alternative<SendStatuses::Sending>(m_appState->sendQueue().sendStatus()))
        return;
    m_sendsBeforeBatch.emplace();
    for (const SendLogEntry& entry : m_appState->recentSends().sendLog())
        m_sendsBeforeBatch->insert(entry.id);
}

void AppDelegate::notifyBatchEnd() {
    const std::optional<QSet<QUuid>> before = std::exchange(m_sendsBeforeBatch, std::nullopt);
    // The panel says it already.
    if (isPopoverShown())
        return;
    QList<SendLogEntry> batch;
    if (before) {
        for (const SendLogEntry& entry : m_appState->recentSends().sendLog()) {
            if (!before->contains(entry.id))
                batch.append(entry);
        }
    }
    const std::optional<BatchNotice> notice =
        BatchNotice::from(m_appState->sendQueue().sendStatus(), batch);
    if (notice)
        m_notifier->show(notice->summary, notice->body,
                         notice->failed ? DesktopNotifier::Kind::failure
                                        : DesktopNotifier::Kind::success);
}

TrayIcon* AppDelegate::statusItem() const {
    return m_tray && m_tray->isShown() ? m_tray : nullptr;
}

void AppDelegate::updateTrayIcon() {
    if (!m_tray)
        return;
    // An X11 tray may announce the colour of its icons; the glyph takes it, as the desktop's
    // own symbolic icons there do. Elsewhere nobody tells a program the colour of the tray
    // around its icon: a light glyph. Either way an edge of the opposite lightness keeps it
    // legible on any tray, also one recoloured behind its theme's back (the announced colour
    // follows the theme, not a bar's own background). No themed name goes with it: hosts that
    // do not recolour a symbolic icon (LXQt's, trayer) would show its plain dark fill on a dark
    // bar.
    const QColor light(0xf6, 0xf6, 0xf6);
    const QColor dark(0x1a, 0x1a, 0x1a);
    const QColor fill = m_tray->announcedColour().value_or(light);
    const QColor edge = Style::contrast(fill, dark) >= Style::contrast(fill, light) ? dark : light;
    QList<QImage> images;
    for (const int size : traySizes)
        images.append(SewingMachineIcon::edgedImage(size, 1.0, fill, edge));
    m_tray->setIcon(QString(), images);
}

QString AppDelegate::trayStatusLine() const {
    const SendStatus& status = m_appState->sendQueue().sendStatus();
    if (const auto* sending = std::get_if<SendStatuses::Sending>(&status))
        return tr("Sending %1…").arg(sending->fileName);
    if (const auto* error = std::get_if<SendStatuses::Error>(&status))
        return error->message;
    const std::optional<SavedMachine> machine = m_appState->machineList().selectedMachine();
    if (!machine)
        return tr("No machine set up");
    switch (m_appState->monitor().reachabilityOf(machine->id)) {
    case Reachability::reachable:
        return tr("%1 · Ready").arg(machine->name);
    case Reachability::unreachable:
        return tr("%1 · Not answering").arg(machine->name);
    case Reachability::checking:
        return tr("%1 · Checking…").arg(machine->name);
    case Reachability::unknown:
        break;
    }
    return tr("Drop designs to send to %1").arg(machine->name);
}

void AppDelegate::updateTrayToolTip() {
    // The name once, as the title; what a glance should tell under it.
    if (m_tray)
        m_tray->setToolTip(QStringLiteral("Bobbinlark"), trayStatusLine());
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        updateTrayIcon();
    return QObject::eventFilter(watched, event);
}

bool AppDelegate::windowsCanPlaceThemselves() {
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
    m_appState->sendQueue().clearStaleError();

    // The tray may have appeared, or gone, since the last opening; the icon's place is known only
    // now. With an icon to open against, where windows place themselves, the panel floats there.
    // Without a tray it is an ordinary window the desktop places and manages: the only way in,
    // it must not hide other windows, nor be missing from the window list.
    m_popover->setFloating(windowsCanPlaceThemselves() && statusItem());
    m_popover->setComposited(PopoverWindow::compositorRuns());
    if (m_popover->isFloating())
        placePopover();
    m_popover->show();
    m_popover->raise();
    m_popover->activateWindow();
    m_popoverView->setFocus(Qt::PopupFocusReason);

    startMachineChecks();
    emit popoverOpened();
}

void AppDelegate::placePopover() {
    if (!statusItem())
        return;
    // Against the icon: its geometry where the tray tells it, else around the point the tray
    // says was clicked, else at the pointer (stale under XWayland, so last).
    QRect icon = m_tray->geometry();
    QPoint pointer = m_click.value_or(QCursor::pos());
    QScreen* screen = QGuiApplication::screenAt(icon.isValid() ? icon.center() : pointer);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (!icon.isValid() && m_click) {
        pointer = PopoverWindow::clickOnScreen(*m_click, screen->geometry());
        icon = PopoverWindow::iconAround(pointer, screen->geometry());
    }
    // The panel goes where it belongs; a shadow around it may reach past the screen.
    const QMargins shadow = m_popover->panelMargins();
    m_popover->move(PopoverWindow::placement(PopoverWindow::contentSize, icon, pointer,
                                             screen->availableGeometry()) -
                    QPoint(shadow.left(), shadow.top()));
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
    m_appState->sendQueue().send(fileURLs);
}

void AppDelegate::startMachineChecks() {
    // Not awaited and not kept: the checks run on while the popover is open.
    [[maybe_unused]] QCoro::Task<> checks = m_appState->monitor().popoverDidOpen();
}
