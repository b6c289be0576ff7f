#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// Whether the program starts when the user logs in. Here that is an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/com.bobbinlark.Bobbinlark.desktop, read on every refresh.
class LoginItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(bool needsApproval READ needsApproval NOTIFY needsApprovalChanged)

public:
    // What the registration looks like from the outside, with the values login-item services
    // report. Plain XDG autostart knows only the first two.
    enum class Status { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    // The service behind the item. Register and unregister give an error description on
    // failure.
    struct Service {
        std::function<Status()> status;
        std::function<std::optional<QString>()> registerItem;
        std::function<std::optional<QString>()> unregisterItem;
        std::function<void()> openSettings;
    };

    // The XDG autostart entry at `entryPath`, starting `executable`.
    static Service autostartService(const QString& entryPath, const QString& executable);
    // $XDG_CONFIG_HOME (default ~/.config)/autostart/com.bobbinlark.Bobbinlark.desktop.
    static QString defaultEntryPath();
    // The entry's contents for the given program.
    static QByteArray entryContents(const QString& executable);
    // How an existing entry reads: enabled unless it says Hidden=true or
    // X-GNOME-Autostart-enabled=false.
    static bool entryIsEnabled(const QByteArray& contents);

    // The user's own autostart entry for this program.
    explicit LoginItem(QObject* parent = nullptr);
    explicit LoginItem(Service service, QObject* parent = nullptr);

    bool isEnabled() const { return m_isEnabled; }
    bool needsApproval() const { return m_needsApproval; }

    void refresh();
    void setEnabled(bool enabled);

signals:
    void isEnabledChanged();
    void needsApprovalChanged();

private:
    Service m_service;
    bool m_isEnabled = false;
    bool m_needsApproval = false;
};
