#include "Support/Desktop/DBusMenuExporter.h"

#include <QAction>
#include <QDBusMetaType>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>

namespace {

// A QAction's text as a dbusmenu label: its mnemonic is marked with '_' there, not '&'.
QString label(const QAction& action) {
    const QString text = action.text();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'&' && i + 1 < text.size()) {
            out += text.at(i + 1) == u'&' ? QStringLiteral("&") : QStringLiteral("_");
            if (text.at(i + 1) == u'&')
                ++i;
        } else if (c == u'_') {
            out += QStringLiteral("__");
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item) {
    argument.beginStructure();
    argument << item.id << item.properties;
    // Children travel as variants, each holding a layout of its own.
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuLayoutItem& child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item) {
    argument.beginStructure();
    argument >> item.id >> item.properties;
    item.children.clear();
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        DBusMenuLayoutItem childItem;
        child.variant().value<QDBusArgument>() >> childItem;
        item.children.append(childItem);
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item) {
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item) {
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemKeys& keys) {
    argument.beginStructure();
    argument << keys.id << keys.names;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemKeys& keys) {
    argument.beginStructure();
    argument >> keys.id >> keys.names;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event) {
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event) {
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

void DBusMenuExporter::registerTypes() {
    // Under the names the signals and slots spell them with, so that both are exported.
    qRegisterMetaType<DBusMenuItemPropertiesList>("DBusMenuItemPropertiesList");
    qRegisterMetaType<DBusMenuItemKeysList>("DBusMenuItemKeysList");
    qRegisterMetaType<DBusMenuEventList>("DBusMenuEventList");
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuItemProperties>();
    qDBusRegisterMetaType<DBusMenuItemPropertiesList>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<DBusMenuItemKeysList>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<DBusMenuEventList>();
}

DBusMenuExporter::DBusMenuExporter(QDBusConnection bus, QMenu* menu, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_menu(menu) {
    registerTypes();
    if (m_menu)
        m_menu->installEventFilter(this);
    m_isExported =
        m_bus.isConnected() && m_bus.registerObject(QString::fromLatin1(objectPath), this,
                                                    QDBusConnection::ExportScriptableSlots |
                                                        QDBusConnection::ExportScriptableSignals |
                                                        QDBusConnection::ExportAllProperties);
}

DBusMenuExporter::~DBusMenuExporter() {
    if (m_isExported)
        m_bus.unregisterObject(QString::fromLatin1(objectPath));
}

QString DBusMenuExporter::textDirection() const {
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

QAction* DBusMenuExporter::action(int id) const {
    if (!m_menu || id < 1)
        return nullptr;
    const QList<QAction*> actions = m_menu->actions();
    return id <= actions.size() ? actions.at(id - 1) : nullptr;
}

bool DBusMenuExporter::exists(int id) const {
    return id == 0 || action(id);
}

QVariantMap DBusMenuExporter::properties(int id, const QStringList& names) const {
    QVariantMap all;
    if (id == 0) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (const QAction* entry = action(id)) {
        if (entry->isSeparator()) {
            all.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            all.insert(QStringLiteral("label"), label(*entry));
            all.insert(QStringLiteral("enabled"), entry->isEnabled());
        }
        all.insert(QStringLiteral("visible"), entry->isVisible());
        // No "shortcut": the actions' keys work inside the panel, not in the desktop's menu.
    }
    if (names.isEmpty())
        return all;
    QVariantMap asked;
    for (const QString& name : names) {
        if (all.contains(name))
            asked.insert(name, all.value(name));
    }
    return asked;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 DBusMenuLayoutItem& layout) {
    layout = DBusMenuLayoutItem{parentId, properties(parentId, propertyNames), {}};
    // One level: only the menu itself has entries under it.
    if (parentId == 0 && recursionDepth != 0 && m_menu) {
        for (int id = 1; id <= m_menu->actions().size(); ++id)
            layout.children.append({id, properties(id, propertyNames), {}});
    }
    return m_revision;
}

DBusMenuItemPropertiesList DBusMenuExporter::GetGroupProperties(const QList<int>& ids,
                                                                const QStringList& propertyNames) {
    DBusMenuItemPropertiesList list;
    for (const int id : ids) {
        if (exists(id))
            list.append({id, properties(id, propertyNames)});
    }
    return list;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
    return QDBusVariant(properties(id, {name}).value(name));
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (eventId == QLatin1String("clicked"))
        trigger(id);
    else if (id == 0 && eventId == QLatin1String("opened"))
        emit aboutToShow();
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList& events) {
    QList<int> idErrors;
    for (const DBusMenuEvent& event : events) {
        if (!exists(event.id))
            idErrors.append(event.id);
        else
            Event(event.id, event.eventId, event.data, event.timestamp);
    }
    return idErrors;
}

bool DBusMenuExporter::AboutToShow(int id) {
    if (id == 0)
        emit aboutToShow();
    return false; // the layout is always up to date: nothing to fetch first
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    idErrors.clear();
    if (ids.contains(0))
        emit aboutToShow();
    for (const int id : ids) {
        if (!exists(id))
            idErrors.append(id);
    }
    return {};
}

void DBusMenuExporter::trigger(int id) {
    QAction* entry = action(id);
    if (!entry || entry->isSeparator() || !entry->isEnabled())
        return;
    // Not inside the host's call: an action may open a window or quit.
    QTimer::singleShot(0, entry, &QAction::trigger);
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::ActionAdded || type == QEvent::ActionChanged ||
         type == QEvent::ActionRemoved) &&
        m_isExported && !m_layoutUpdateQueued && watched == m_menu) {
        // One update for a burst of changes (a language change renames every entry).
        m_layoutUpdateQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_layoutUpdateQueued = false;
            emit LayoutUpdated(++m_revision, 0);
        });
    }
    return QObject::eventFilter(watched, event);
}
