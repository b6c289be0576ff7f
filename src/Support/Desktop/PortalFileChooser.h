#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

// Asks the desktop portal (org.freedesktop.portal.FileChooser on the session bus) for files to
// open: the desktop's own chooser, also for a program in a sandbox. Where no portal answers, the
// request says so and the caller shows a chooser of its own.
namespace PortalFileChooser {

inline constexpr char service[] = "org.freedesktop.portal.Desktop";
inline constexpr char objectPath[] = "/org/freedesktop/portal/desktop";
inline constexpr char interface[] = "org.freedesktop.portal.FileChooser";
inline constexpr char requestInterface[] = "org.freedesktop.portal.Request";

// One named filter of the chooser: glob patterns ("*.pes"), type 0 of the portal's filters.
struct Filter {
    QString name;
    QStringList patterns;
};

// The object path of the request the portal makes for `token`, from this connection.
QString requestPath(const QDBusConnection& bus, const QString& token);

// One question to the portal. It never blocks; it emits one of its signals once, then deletes
// itself.
class Request : public QObject {
    Q_OBJECT

public:
    // `parentWindow` as the portal takes it ("x11:1c00007"), or empty.
    Request(const QDBusConnection& bus, const QString& title, const Filter& filter,
            const QString& parentWindow);

signals:
    // The files chosen; none when the user cancelled.
    void chosen(const QList<QUrl>& files);
    // No portal answered: show a chooser of your own.
    void unavailable();

private slots:
    void response(uint code, const QVariantMap& results);

private:
    void finish();

    QDBusConnection m_bus;
    QString m_path;
    bool m_done = false;
};

} // namespace PortalFileChooser
