#include "Support/LoginItem.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The Exec value for a program path: quoted when it holds anything but plain path characters,
// with the desktop entry's escapes for the quoted form and for the string itself.
QString execValue(const QString& executable) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._+-]+$"));
    if (plain.match(executable).hasMatch())
        return executable;
    QString quoted;
    for (const QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

LoginItem::Service LoginItem::autostartService(const QString& entryPath,
                                               const QString& executable) {
    Service service;
    service.status = [entryPath] {
        QFile file(entryPath);
        if (!file.open(QIODevice::ReadOnly))
            return Status::notRegistered;
        // An entry is a few hundred bytes; anything far larger is not ours to parse whole.
        return entryIsEnabled(file.read(64 * 1024)) ? Status::enabled : Status::notRegistered;
    };
    service.registerItem = [entryPath, executable]() -> std::optional<QString> {
        const QString folder = QFileInfo(entryPath).absolutePath();
        if (!QDir().mkpath(folder))
            return QStringLiteral("can't create the folder %1").arg(folder);
        QSaveFile file(entryPath);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        file.write(entryContents(executable));
        if (!file.commit())
            return file.errorString();
        return std::nullopt;
    };
    service.unregisterItem = [entryPath]() -> std::optional<QString> {
        QFile file(entryPath);
        if (!file.exists() || file.remove())
            return std::nullopt;
        return file.errorString();
    };
    // Plain XDG autostart has no approval step and no settings page of its own.
    service.openSettings = [] {};
    return service;
}

QString LoginItem::defaultEntryPath() {
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Only an absolute path counts (QDir would also take ":/…", Qt's resources).
    if (!configHome.startsWith(u'/'))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/autostart/com.bobbinlark.Bobbinlark.desktop");
}

QByteArray LoginItem::entryContents(const QString& executable) {
    // The delay and the two "after the panel" keys let the tray exist before the program asks
    // for it.
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Bobbinlark\n"
                          "Comment=Send embroidery designs to your machine\n"
                          "Comment[de]=Stickmuster an Ihre Maschine senden\n"
                          "Comment[es]=Envía diseños de bordado a tu máquina\n"
                          "Comment[fr]=Envoyer des motifs de broderie à votre machine\n"
                          "Comment[ja]=刺しゅうデータをミシンに送信します\n"
                          "Exec=%1\n"
                          "Icon=com.bobbinlark.Bobbinlark\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n"
                          "X-GNOME-Autostart-Delay=3\n"
                          "X-KDE-autostart-after=panel\n"
                          "X-LXQt-Need-Tray=true\n")
        .arg(execValue(executable))
        .toUtf8();
}

bool LoginItem::entryIsEnabled(const QByteArray& contents) {
    bool inMainGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup || line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return false;
    }
    return true;
}

LoginItem::LoginItem(QObject* parent)
    : LoginItem(autostartService(defaultEntryPath(), QCoreApplication::instance()
                                                         ? QCoreApplication::applicationFilePath()
                                                         : QStringLiteral("bobbinlark")),
                parent) {}

LoginItem::LoginItem(Service service, QObject* parent)
    : QObject(parent)
    , m_service(std::move(service)) {
    refresh();
}

void LoginItem::refresh() {
    const Status status = m_service.status();
    const bool enabled = status == Status::enabled;
    const bool approval = status == Status::requiresApproval;
    if (m_isEnabled != enabled) {
        m_isEnabled = enabled;
        emit isEnabledChanged();
    }
    if (m_needsApproval != approval) {
        m_needsApproval = approval;
        emit needsApprovalChanged();
    }
}

void LoginItem::setEnabled(bool enabled) {
    const std::optional<QString> failure =
        enabled ? m_service.registerItem() : m_service.unregisterItem();
    if (failure) {
        qWarning().noquote() << QStringLiteral("Bobbinlark: couldn't %1 login item: %2")
                                    .arg(enabled ? QStringLiteral("add") : QStringLiteral("remove"),
                                         *failure);
    }
    refresh();
    if (enabled && m_needsApproval)
        m_service.openSettings();
}
