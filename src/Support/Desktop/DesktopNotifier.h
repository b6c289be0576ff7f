#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// Desktop notifications through org.freedesktop.Notifications on a bus: the program's icon, a
// default action that comes back as activated(), and a notification shown soon after the last
// one in its place rather than beside it. Every call is asynchronous and nothing waits for the
// server: without one, nothing is shown and nothing else changes.
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    enum class Kind { success, failure };

    static constexpr QLatin1StringView service{"org.freedesktop.Notifications"};
    static constexpr QLatin1StringView objectPath{"/org/freedesktop/Notifications"};
    static constexpr QLatin1StringView interface { "org.freedesktop.Notifications" };
    // The themed icon the package installs, which servers also find the program by.
    static constexpr QLatin1StringView appID{"com.bobbinlark.Bobbinlark"};
    // A notification this soon after the last one replaces it.
    static constexpr std::chrono::milliseconds replaceWindow{60000};

    explicit DesktopNotifier(QDBusConnection bus, QObject* parent = nullptr);

    // Asks the server to show this; a notification still on its way is replaced by it.
    void show(const QString& summary, const QString& body, Kind kind);

    // Sent along when the icon theme lacks the program's icon (a build that is not installed).
    void setFallbackImage(const QImage& image) { m_fallbackImage = image; }

    // Tests shorten this; the program keeps the default.
    void setReplaceWindow(std::chrono::milliseconds window) { m_replaceWindow = window; }

signals:
    // The user chose one of our notifications (clicked it).
    void activated();

private slots:
    void actionInvoked(uint id, const QString& actionKey);
    void notificationClosed(uint id, uint reason);

private:
    struct Note {
        QString summary;
        QString body;
        Kind kind = Kind::success;
    };

    void sendWaiting();
    void askCapabilities();
    void notify(const Note& note);

    QDBusConnection m_bus;
    std::optional<Note> m_waiting;
    // One call at a time, so a notification sent while another is on its way can replace it.
    bool m_calling = false;
    // Counts show() calls, to tell whether one came while the server was being asked.
    quint64 m_shows = 0;
    // What the server said it can do; asked once per server.
    std::optional<QStringList> m_capabilities;
    uint m_lastID = 0;
    QElapsedTimer m_sinceLast;
    QSet<uint> m_shownIDs;
    std::chrono::milliseconds m_replaceWindow = replaceWindow;
    QImage m_fallbackImage;
};
