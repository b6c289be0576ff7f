#include "Support/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>
#include <QtEndian>

namespace {

constexpr char magic[] = "BLKH";
constexpr qsizetype headerBytes = 8;
// A hand-off is settled in three steps, so that both sides agree whether it happened: the
// program answers a whole message with `acknowledgement`; the sender, still waiting, answers
// with `commitment`; only then does the program act, and confirms with `done`. A sender that
// gave up before committing leaves a message the program drops, however late it reads it.
constexpr char acknowledgement = 'K';
constexpr char commitment = 'C';
constexpr char done = 'D';
constexpr int connectTimeoutMs = 2000;
// Once committed, the program answers in its very next turn; this only ends the wait on a
// program that hangs or died.
constexpr int doneTimeoutMs = 30000;
constexpr int lockTimeoutMs = 10000;

void appendLength(QByteArray& out, qsizetype length) {
    const quint32 big = qToBigEndian(static_cast<quint32>(length));
    out.append(reinterpret_cast<const char*>(&big), sizeof big);
}

quint32 readLength(const QByteArray& bytes, qsizetype at) {
    return qFromBigEndian<quint32>(bytes.constData() + at);
}

// Only absolute local file URLs come through; anything else marks the message as not ours.
std::optional<QUrl> validFileURL(const QByteArray& utf8) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(utf8);
    if (decoder.hasError() || text.contains(QChar(0)))
        return std::nullopt;
    return SingleInstance::localFileURL(QUrl(text, QUrl::StrictMode));
}

bool isURIArgument(const QString& argument) {
    return argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive) ||
           argument.contains(QStringLiteral("://"));
}

} // namespace

SingleInstance::SingleInstance(QString directory, QObject* parent)
    : QObject(parent)
    , m_directory(std::move(directory)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::socketPath() const {
    return m_directory + QStringLiteral("/com.bobbinlark.Bobbinlark.socket");
}

SingleInstance::Role SingleInstance::start(const QList<QUrl>& files) {
    QDir().mkpath(m_directory);
    QLockFile lock(m_directory + QStringLiteral("/com.bobbinlark.Bobbinlark.lock"));
    if (!lock.tryLock(lockTimeoutMs)) {
        // Another launch holds the lock for far too long; try it without.
        return handOff(files) ? Role::handedOff : Role::failed;
    }

    if (const std::optional<bool> handed = tryHandOff(files))
        return *handed ? Role::handedOff : Role::failed;

    // Nobody listens: the socket, if any, is left over from a program that ended.
    QLocalServer::removeServer(socketPath());
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        // Still the program, only without hand-off.
        m_server.reset();
        return Role::primary;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return Role::primary;
}

bool SingleInstance::handOff(const QList<QUrl>& files) {
    return tryHandOff(files).value_or(false);
}

std::optional<bool> SingleInstance::tryHandOff(const QList<QUrl>& files) {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(connectTimeoutMs))
        return std::nullopt;
    socket.write(encodeMessage(files));
    const int replyTimeoutMs = static_cast<int>(m_replyTimeout.count());
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(replyTimeoutMs))
            return false;
    }
    const auto answered = [&socket](char expected, int timeoutMs) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(timeoutMs))
            return false;
        char reply = 0;
        return socket.getChar(&reply) && reply == expected;
    };
    if (!answered(acknowledgement, replyTimeoutMs))
        return false;
    socket.putChar(commitment);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(replyTimeoutMs))
            return false;
    }
    return answered(done, doneTimeoutMs);
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that never finishes its message is dropped.
        QTimer::singleShot(m_replyTimeout, socket, [socket] { socket->abort(); });
        const auto handle = [this, socket] {
            if (socket->property("handled").toBool())
                return;
            QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
            const QVariant offered = socket->property("offered");
            if (offered.isValid()) {
                // Acknowledged: the one byte that commits the sender, and nothing else.
                if (buffer.isEmpty())
                    return;
                socket->setProperty("handled", true);
                if (buffer != QByteArray(1, commitment)) {
                    socket->abort();
                    return;
                }
                socket->putChar(done);
                socket->flush();
                socket->disconnectFromServer();
                const QList<QUrl> files = offered.value<QList<QUrl>>();
                if (files.isEmpty())
                    emit showRequested();
                else
                    emit filesReceived(files);
                return;
            }
            const Decoded decoded = decodeMessage(buffer);
            switch (decoded.state) {
            case Decoded::State::incomplete:
                socket->setProperty("buffer", buffer);
                return;
            case Decoded::State::invalid:
                socket->setProperty("handled", true);
                socket->abort();
                return;
            case Decoded::State::complete:
                socket->setProperty("buffer", QVariant());
                socket->setProperty("offered", QVariant::fromValue(decoded.files));
                socket->putChar(acknowledgement);
                socket->flush();
                return;
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, handle);
        if (socket->bytesAvailable() > 0)
            handle();
    }
}

QList<QUrl> SingleInstance::fileURLsFromArguments(const QStringList& arguments,
                                                  const QString& workingDirectory) {
    QList<QUrl> files;
    const QDir base(workingDirectory);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (isURIArgument(argument)) {
            if (const std::optional<QUrl> url = localFileURL(QUrl(argument)))
                files.append(*url);
            continue;
        }
        files.append(QUrl::fromLocalFile(QDir::cleanPath(base.absoluteFilePath(argument))));
    }
    return files;
}

QStringList SingleInstance::refusedArguments(const QStringList& arguments) {
    QStringList refused;
    for (const QString& argument : arguments) {
        if (isURIArgument(argument) && !localFileURL(QUrl(argument)))
            refused.append(argument);
    }
    return refused;
}

std::optional<QUrl> SingleInstance::localFileURL(const QUrl& url) {
    if (!url.isValid() || !url.isLocalFile() || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    // QUrl keeps hosts in lower case.
    if (!url.host().isEmpty() && url.host() != QLatin1StringView("localhost"))
        return std::nullopt;
    QUrl local = url;
    local.setHost(QString());
    // A real path from the root: QDir also calls ":/…" absolute (Qt's resources).
    const QString path = local.toLocalFile();
    if (!path.startsWith(u'/') || path.contains(QChar(0)))
        return std::nullopt;
    return local;
}

QByteArray SingleInstance::encodeMessage(const QList<QUrl>& files) {
    QByteArray payload;
    appendLength(payload, files.size());
    for (const QUrl& file : files) {
        const QByteArray text = file.toString(QUrl::FullyEncoded).toUtf8();
        appendLength(payload, text.size());
        payload.append(text);
    }
    QByteArray message(magic, 4);
    appendLength(message, payload.size());
    return message + payload;
}

SingleInstance::Decoded SingleInstance::decodeMessage(const QByteArray& bytes) {
    const Decoded invalid{Decoded::State::invalid, {}};
    const Decoded incomplete{Decoded::State::incomplete, {}};
    if (!QByteArrayView(magic, 4).startsWith(bytes.left(4)))
        return invalid;
    if (bytes.size() < headerBytes)
        return incomplete;
    const quint32 payloadBytes = readLength(bytes, 4);
    if (payloadBytes > maxMessageBytes || payloadBytes < 4)
        return invalid;
    const qsizetype total = headerBytes + static_cast<qsizetype>(payloadBytes);
    if (bytes.size() < total)
        return incomplete;
    if (bytes.size() > total)
        return invalid;

    const quint32 count = readLength(bytes, headerBytes);
    if (count > maxFiles)
        return invalid;
    Decoded result{Decoded::State::complete, {}};
    qsizetype at = headerBytes + 4;
    for (quint32 i = 0; i < count; ++i) {
        if (total - at < 4)
            return invalid;
        const quint32 length = readLength(bytes, at);
        at += 4;
        if (length > maxEntryBytes || length > total - at)
            return invalid;
        const std::optional<QUrl> url = validFileURL(bytes.mid(at, length));
        if (!url)
            return invalid;
        result.files.append(*url);
        at += length;
    }
    if (at != total)
        return invalid;
    return result;
}
