#include "support/PrivateBus.h"

#include <QStandardPaths>

PrivateBus::PrivateBus() {
    if (!available() || !m_dir.isValid())
        return;
    // The configuration the end-to-end scripts' bus uses too; only the socket's folder is ours.
    m_daemon.start(QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")),
                   {QStringLiteral("--config-file=" BOBBINLARK_SESSION_BUS_CONFIG),
                    QStringLiteral("--address=unix:dir=") + m_dir.path(),
                    QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                    QStringLiteral("--print-address=1")});
    if (m_daemon.waitForStarted() && m_daemon.waitForReadyRead(5000))
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    m_daemon.waitForFinished();
}

bool PrivateBus::available() {
    return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
}
