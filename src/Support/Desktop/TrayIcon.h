#pragma once

#include <QAbstractNativeEventFilter>
#include <QColor>
#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <cstdint>
#include <optional>

class DBusMenuExporter;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class StatusNotifierItem;

// The program's icon in whatever tray the desktop has. A status-notifier host (Xfce, LXQt,
// KDE Plasma, waybar) gets our own item, which hears where the user clicked; an old X11 tray
// (XEmbed) gets Qt's icon. Either may come after the program, or go and come back when a panel
// restarts: the icon follows without being asked, the status notifier first when both exist.
class TrayIcon : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    enum class Kind { none, statusNotifier, xembed };

    // `menu` is the icon's context menu; it must outlive the icon. Status-notifier hosts get it
    // on the bus and draw it themselves.
    TrayIcon(QDBusConnection bus, QMenu* menu, QObject* parent = nullptr);
    ~TrayIcon() override;

    Kind kind() const { return m_kind; }
    bool isShown() const { return m_kind != Kind::none; }
    // Whether the desktop has answered whether it has a tray (the session bus takes a moment).
    bool isSettled() const { return m_isSettled; }
    // The icon's place on the screen, where the tray tells it (XEmbed); else empty.
    QRect geometry() const;
    StatusNotifierItem* statusNotifierItem() const { return m_item; }
    // The colour an X11 tray asks its icons to be drawn in (_NET_SYSTEM_TRAY_COLORS), while
    // the icon is in such a tray; else none, and nothing tells us the tray's colour.
    std::optional<QColor> announcedColour() const;

    void setIcon(const QString& themedName, const QList<QImage>& images);
    // The program's name, and a line under it that says how things stand.
    void setToolTip(const QString& title, const QString& text);

    // Where the icon's menu was last opened: the pointer as a host opened its own drawing of it
    // (the icon, as the user clicked it), or the point asked for ours. An entry of the menu
    // that opens the panel opens it there.
    std::optional<QPoint> menuAnchor() const { return m_menuAnchor; }

    // Opens the icon's own menu at `screenPosition`, brought onto the nearest screen (a host
    // may ask for any point at all).
    void popUpMenu(QPoint screenPosition);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // A click on the icon, with the screen position where the tray passes it.
    void clicked(std::optional<QPoint> screenPosition);
    void shownChanged(bool shown);
    void announcedColourChanged();
    // Once, when the desktop's first answer is in.
    void settled();

private:
    void update();
    void showXembed();
    void dropXembed();
    void listenForXembedTrays();
    void readTrayColours();

    QDBusConnection m_bus;
    QMenu* m_menu;
    StatusNotifierItem* m_item = nullptr;
    QPointer<QSystemTrayIcon> m_xembed;
    QString m_themedName;
    QList<QImage> m_images;
    std::optional<QPoint> m_menuAnchor;
    QString m_toolTipTitle;
    QString m_toolTip;
    DBusMenuExporter* m_menuExporter = nullptr;
    // Changes of the X11 tray's colours, however many, are read once when it fires.
    QTimer* m_colourChange = nullptr;
    Kind m_kind = Kind::none;
    // The X11 tray's own window, watched for a change of its colours.
    uint32_t m_trayWindow = 0;
    std::optional<QColor> m_trayForeground;
    bool m_listensForXembed = false;
    bool m_isSettled = false;
};
