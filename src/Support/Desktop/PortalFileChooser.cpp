#include "Support/Desktop/PortalFileChooser.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUuid>

namespace {

// The portal's filter: a name and its (type, pattern) pairs, type 0 a glob.
struct Pattern {
    uint type = 0;
    QString pattern;
};

struct WireFilter {
    QString name;
    QList<Pattern> patterns;
};

} // namespace

Q_DECLARE_METATYPE(Pattern)
Q_DECLARE_METATYPE(WireFilter)
Q_DECLARE_METATYPE(QList<WireFilter>)

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const Pattern& pattern) {
    argument.beginStructure();
    argument << pattern.type << pattern.pattern;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Pattern& pattern) {
    argument.beginStructure();
    argument >> pattern.type >> pattern.pattern;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const WireFilter& filter) {
    argument.beginStructure();
    argument << filter.name << filter.patterns;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, WireFilter& filter) {
    argument.beginStructure();
    argument >> filter.name >> filter.patterns;
    argument.endStructure();
    return argument;
}

void registerTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<Pattern>();
        qDBusRegisterMetaType<QList<Pattern>>();
        qDBusRegisterMetaType<WireFilter>();
        qDBusRegisterMetaType<QList<WireFilter>>();
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace

namespace PortalFileChooser {

QString requestPath(const QDBusConnection& bus, const QString& token) {
    // The sender's unique name without its colon, dots made underscores.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QString::fromLatin1(objectPath) + QStringLiteral("/request/") + sender +
           QLatin1Char('/') + token;
}

Request::Request(const QDBusConnection& bus, const QString& title, const Filter& filter,
                 const QString& parentWindow)
    : m_bus(bus) {
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit unavailable();
                finish();
            },
            Qt::QueuedConnection);
        return;
    }
    registerTypes();
    const QString token = QStringLiteral("bobbinlark") + QUuid::createUuid().toString(QUuid::Id128);
    // Listened for before asking, so that an answer that comes at once is not missed.
    m_path = requestPath(bus, token);
    m_bus.connect(QString::fromLatin1(service), m_path, QString::fromLatin1(requestInterface),
                  QStringLiteral("Response"), this, SLOT(response(uint, QVariantMap)));

    WireFilter wire{filter.name, {}};
    for (const QString& pattern : filter.patterns)
        wire.patterns.append(Pattern{0, pattern});
    const QVariantMap options{
        {QStringLiteral("handle_token"), token},
        {QStringLiteral("multiple"), true},
        {QStringLiteral("modal"), true},
        {QStringLiteral("filters"), QVariant::fromValue(QList<WireFilter>{wire})},
        {QStringLiteral("current_filter"), QVariant::fromValue(wire)},
    };
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(service), QString::fromLatin1(objectPath),
        QString::fromLatin1(interface), QStringLiteral("OpenFile"));
    call << parentWindow << title << options;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *answered;
                if (reply.isError()) {
                    if (!m_done) {
                        emit unavailable();
                        finish();
                    }
                    return;
                }
                // An older portal makes its own path: listen there instead.
                const QString handle = reply.value().path();
                if (!m_done && handle != m_path) {
                    m_bus.disconnect(
                        QString::fromLatin1(service), m_path, QString::fromLatin1(requestInterface),
                        QStringLiteral("Response"), this, SLOT(response(uint, QVariantMap)));
                    m_path = handle;
                    m_bus.connect(QString::fromLatin1(service), m_path,
                                  QString::fromLatin1(requestInterface), QStringLiteral("Response"),
                                  this, SLOT(response(uint, QVariantMap)));
                }
            });
}

void Request::response(uint code, const QVariantMap& results) {
    if (m_done)
        return;
    QList<QUrl> files;
    // 0: chosen; 1: cancelled; 2: ended otherwise. Only local files are sent.
    if (code == 0) {
        for (const QString& uri : results.value(QStringLiteral("uris")).toStringList()) {
            const QUrl url(uri);
            if (url.isLocalFile())
                files.append(url);
        }
    }
    emit chosen(files);
    finish();
}

void Request::finish() {
    m_done = true;
    if (!m_path.isEmpty())
        m_bus.disconnect(QString::fromLatin1(service), m_path,
                         QString::fromLatin1(requestInterface), QStringLiteral("Response"), this,
                         SLOT(response(uint, QVariantMap)));
    deleteLater();
}

} // namespace PortalFileChooser
