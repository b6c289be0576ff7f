#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

class QDBusServiceWatcher;

// One image of a status-notifier icon: ARGB32 pixels in network byte order.
struct StatusNotifierPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;

    static StatusNotifierPixmap fromImage(const QImage& image);
    bool operator==(const StatusNotifierPixmap&) const = default;
};
using StatusNotifierPixmaps = QList<StatusNotifierPixmap>;

struct StatusNotifierToolTip {
    QString iconName;
    StatusNotifierPixmaps pixmaps;
    QString title;
    QString text;
};

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierToolTip& toolTip);

Q_DECLARE_METATYPE(StatusNotifierPixmap)
Q_DECLARE_METATYPE(StatusNotifierToolTip)

// The program's icon as a status-notifier item on the session bus, the tray of Xfce, LXQt,
// KDE Plasma and waybar. Unlike Qt's own tray icon it hears the click's screen position (so
// the panel can open against the icon) and it follows the watcher: a panel that starts after
// the program, or restarts, gets the icon as soon as it owns the watcher's name.
class StatusNotifierItem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(StatusNotifierPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyName)
    Q_PROPERTY(StatusNotifierPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ emptyName)
    Q_PROPERTY(StatusNotifierPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ emptyName)
    Q_PROPERTY(StatusNotifierToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    static constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";

    // `menuPath` is where the item's menu is exported as com.canonical.dbusmenu on the same
    // connection; hosts that draw menus themselves read it (GNOME's AppIndicator extension shows
    // no item without it). Empty, the item names none.
    explicit StatusNotifierItem(QDBusConnection bus, const QString& menuPath = QString(),
                                QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // Whether a watcher with a host has taken the item: the icon is on a tray.
    bool isShown() const { return m_isShown; }
    // Whether the watcher has answered since the item was made (or its last arrival).
    bool hasAnswered() const { return m_hasAnswered; }
    QString serviceName() const { return m_serviceName; }

    // The icon: a themed name a host may prefer (and recolour, for a -symbolic one), and the
    // images it shows when the theme has no such icon.
    void setIcon(const QString& themedName, const QList<QImage>& images);
    void setToolTip(const QString& title, const QString& text);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("com.bobbinlark.Bobbinlark"); }
    QString title() const { return QStringLiteral("Bobbinlark"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString iconName() const { return m_iconName; }
    StatusNotifierPixmaps iconPixmap() const { return m_pixmaps; }
    QString emptyName() const { return {}; }
    StatusNotifierPixmaps noPixmaps() const { return {}; }
    StatusNotifierToolTip toolTip() const { return m_toolTip; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return m_menuPath; }

public slots:
    // Called by the host over the bus; x and y are where on the screen the user clicked.
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);

signals:
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString& status);
    Q_SCRIPTABLE void NewTitle();

    void activated(QPoint screenPosition);
    void contextMenuRequested(QPoint screenPosition);
    void shownChanged(bool shown);
    // Each answer about the watcher and its host, changed or not.
    void answered();

private slots:
    void askForHost();
    // A host that starts after the watcher may have read the watcher's items before ours came:
    // registering again tells it of us.
    void hostRegistered();

private:
    // `tries` counts down the attempts left while a watcher that has its name does not yet
    // answer for it (a bar still setting up).
    void registerWithWatcher(int tries = 15);
    void setShown(bool shown);

    QDBusConnection m_bus;
    QString m_serviceName;
    QString m_iconName;
    StatusNotifierPixmaps m_pixmaps;
    StatusNotifierToolTip m_toolTip;
    QDBusObjectPath m_menuPath;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_isShown = false;
    bool m_hasAnswered = false;
    QElapsedTimer m_lastActivation;
    bool m_isPublished = false;
};
