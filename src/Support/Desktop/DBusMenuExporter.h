#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QMenu;

// One entry of an exported menu and, for a layout, the entries under it.
struct DBusMenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

// An entry's properties, as a host asks for a group of them.
struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

// Properties that an entry no longer has.
struct DBusMenuItemKeys {
    int id = 0;
    QStringList names;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;

// Something the user did to an entry: "clicked", "hovered", "opened", "closed".
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemKeys& keys);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemKeys& keys);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event);

Q_DECLARE_METATYPE(DBusMenuLayoutItem)
Q_DECLARE_METATYPE(DBusMenuItemProperties)
Q_DECLARE_METATYPE(DBusMenuItemKeys)
Q_DECLARE_METATYPE(DBusMenuEvent)

// A QMenu on the session bus as `com.canonical.dbusmenu`, which the status-notifier item names
// in its `Menu` property: the host draws the menu itself, in the desktop's style and at the
// desktop's place (Plasma, LXQt, waybar), and GNOME's AppIndicator extension shows no item
// without one. Entries are the menu's actions, numbered from 1 in order (0 is the menu); a
// host's click triggers the action.
class DBusMenuExporter : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    static constexpr const char* objectPath = "/MenuBar";

    // `menu` must outlive the exporter. Nothing is exported when the bus is not connected.
    DBusMenuExporter(QDBusConnection bus, QMenu* menu, QObject* parent = nullptr);
    ~DBusMenuExporter() override;

    bool isExported() const { return m_isExported; }

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    static void registerTypes();

public slots:
    Q_SCRIPTABLE uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                DBusMenuLayoutItem& layout);
    Q_SCRIPTABLE DBusMenuItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                                               const QStringList& propertyNames);
    Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString& name);
    Q_SCRIPTABLE void Event(int id, const QString& eventId, const QDBusVariant& data,
                            uint timestamp);
    Q_SCRIPTABLE QList<int> EventGroup(const DBusMenuEventList& events);
    Q_SCRIPTABLE bool AboutToShow(int id);
    Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    Q_SCRIPTABLE void ItemsPropertiesUpdated(const DBusMenuItemPropertiesList& updatedProps,
                                             const DBusMenuItemKeysList& removedProps);
    Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);
    Q_SCRIPTABLE void ItemActivationRequested(int id, uint timestamp);

    // The host is opening the menu (its "opened" event, or its question before it does).
    void aboutToShow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* action(int id) const;
    QVariantMap properties(int id, const QStringList& names) const;
    // Whether the entry `id` exists: the menu itself or one of its actions.
    bool exists(int id) const;
    // Triggered on the next turn of the event loop, after the host's call is answered.
    void trigger(int id);

    QDBusConnection m_bus;
    // Held as the widget the menu is: the menu sends action events while it is destroyed,
    // when it is no longer a QMenu.
    QPointer<QWidget> m_menu;
    uint m_revision = 1;
    bool m_isExported = false;
    bool m_layoutUpdateQueued = false;
};
