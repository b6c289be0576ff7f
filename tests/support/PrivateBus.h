#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A session bus of the test's own: dbus-daemon with session-bus.conf, which names no service
// folders, so nothing installed on the machine (a desktop's notification server, portal or file
// manager) is started on it and every name is free for the test's own services.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Whether dbus-daemon is installed; tests skip without it.
    static bool available();
    // The bus's address once it runs, else empty.
    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};
