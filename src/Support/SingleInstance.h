#pragma once

#include <QByteArray>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

// One running program per user. The first launch listens on a local socket; a later launch
// hands its file arguments to it (or, without arguments, asks it to show itself) and exits.
// A lock file around connect-or-listen keeps two simultaneous launches from both listening.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        primary,   // this process listens; it is the program
        handedOff, // the running program took the request; this process should exit 0
        failed,    // a program runs but did not take the request
    };

    // Limits of a hand-off message; larger or malformed messages are dropped whole.
    static constexpr qsizetype maxFiles = 4096;
    static constexpr qsizetype maxEntryBytes = 8192;
    static constexpr qsizetype maxMessageBytes = 4 * 1024 * 1024;

    // `directory` holds the socket and the lock; the program uses defaultDirectory().
    explicit SingleInstance(QString directory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // How long either side of a hand-off waits for the other's next step before giving up.
    static constexpr std::chrono::milliseconds defaultReplyTimeout{5000};
    void setReplyTimeout(std::chrono::milliseconds timeout) { m_replyTimeout = timeout; }

    // $XDG_RUNTIME_DIR, else a per-user folder in the temporary folder.
    static QString defaultDirectory();

    // Becomes the listening program, or hands `files` (absolute file URLs) to the one that
    // already runs.
    Role start(const QList<QUrl>& files);

    // Hands `files` to a running program without ever becoming one. False when none runs or it
    // did not confirm.
    bool handOff(const QList<QUrl>& files);
    // The same, telling apart "no program runs" (absent) from "it runs but did not confirm"
    // (false), for callers that would otherwise do the work themselves.
    std::optional<bool> tryHandOff(const QList<QUrl>& files);

    QString socketPath() const;

    // Command-line arguments as absolute file URLs: "file:" URIs as localFileURL takes them,
    // anything else a path resolved against `workingDirectory`. Arguments that are other URIs,
    // or files on another computer, are left out: refusedArguments names them.
    static QList<QUrl> fileURLsFromArguments(const QStringList& arguments,
                                             const QString& workingDirectory);
    static QStringList refusedArguments(const QStringList& arguments);

    // An absolute local file without query or fragment, all a hand-off may carry, in the form
    // without a host; absent for anything else. "localhost" names this computer (RFC 8089); any
    // other host is another computer's file.
    static std::optional<QUrl> localFileURL(const QUrl& url);
    static bool isAcceptableFileURL(const QUrl& url) { return localFileURL(url).has_value(); }

    // The wire format: "BLKH", a 32-bit big-endian payload length, then for each file a 32-bit
    // length and its URL as UTF-8.
    static QByteArray encodeMessage(const QList<QUrl>& files);
    // Result of reading a buffer: a whole message, more bytes needed, or garbage.
    struct Decoded {
        enum class State { complete, incomplete, invalid };
        State state = State::incomplete;
        QList<QUrl> files;
    };
    static Decoded decodeMessage(const QByteArray& bytes);

signals:
    // A later launch without files.
    void showRequested();
    // A later launch with files, already validated.
    void filesReceived(const QList<QUrl>& files);

private:
    void acceptConnections();

    QString m_directory;
    std::chrono::milliseconds m_replyTimeout = defaultReplyTimeout;
    std::unique_ptr<QLocalServer> m_server;
};
