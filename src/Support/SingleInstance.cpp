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
constexpr char acknowledgement = 'K';
constexpr int connectTimeoutMs = 2000;
constexpr int replyTimeoutMs = 5000;
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
    const QUrl url(text, QUrl::StrictMode);
    if (!SingleInstance::isAcceptableFileURL(url))
        return std::nullopt;
    return url;
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
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(replyTimeoutMs))
            return false;
    }
    if (!socket.waitForReadyRead(replyTimeoutMs))
        return false;
    char reply = 0;
    return socket.getChar(&reply) && reply == acknowledgement;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that never finishes its message is dropped.
        QTimer::singleShot(replyTimeoutMs, socket, [socket] { socket->abort(); });
        const auto handle = [this, socket] {
            if (socket->property("handled").toBool())
                return;
            QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
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
                socket->setProperty("handled", true);
                socket->setProperty("buffer", QVariant());
                socket->putChar(acknowledgement);
                socket->flush();
                socket->disconnectFromServer();
                if (decoded.files.isEmpty())
                    emit showRequested();
                else
                    emit filesReceived(decoded.files);
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
        if (argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
            const QUrl url(argument);
            if (isAcceptableFileURL(url))
                files.append(url);
            continue;
        }
        if (argument.contains(QStringLiteral("://")))
            continue;
        files.append(QUrl::fromLocalFile(QDir::cleanPath(base.absoluteFilePath(argument))));
    }
    return files;
}

bool SingleInstance::isAcceptableFileURL(const QUrl& url) {
    if (!url.isValid() || !url.isLocalFile() || !url.host().isEmpty() || url.hasQuery() ||
        url.hasFragment())
        return false;
    // A real path from the root: QDir also calls ":/…" absolute (Qt's resources).
    const QString path = url.toLocalFile();
    return path.startsWith(u'/') && !path.contains(QChar(0));
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
