#include "bobbinlark-fake-machine/FakeMachine.h"

#include <QElapsedTimer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

class FakeMachine::Server : public QTcpServer {
public:
    explicit Server(FakeMachine* machine)
        : QTcpServer(machine)
        , m_machine(machine) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_machine->accept(descriptor); }

private:
    FakeMachine* m_machine;
};

// One TLS connection and the bytes of the request being read on it.
struct FakeMachine::Connection {
    QSslSocket* socket = nullptr;
    QByteArray buffer;
    std::optional<Request> pending; // headers read, body still arriving
    qsizetype bodyLength = 0;
    bool closeAfter = false;
    // With a read rate: since when, and how much was read.
    QElapsedTimer reading;
    qint64 read = 0;
};

namespace {

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 413:
        return "Payload Too Large";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

constexpr qsizetype maxBodyBytes = 64 * 1024 * 1024;
// A slow machine's receive buffer and how often it reads.
constexpr int slowReceiveBuffer = 16 * 1024;
constexpr int slowReadIntervalMs = 20;

bool mayHaveBody(int status) {
    return status >= 200 && status != 204 && status != 304;
}

bool isUpload(const FakeMachine::Request& request) {
    return request.method == "POST" && request.path == "/sewing/sewing.cgi";
}

// Closes with a TCP reset instead of an orderly close.
void reset(QSslSocket* socket) {
    const linger immediately{1, 0};
    setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &immediately,
               sizeof immediately);
    socket->abort();
}

} // namespace

std::optional<QByteArray> FakeMachine::Request::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return std::nullopt;
}

QByteArray FakeMachine::defaultInfoBody() {
    return QByteArrayLiteral("{\"model\":57,\"version\":\"1.20\",\"serial\":\"A1B2C3D4\","
                             "\"name\":\"Fake Machine\",\"machine-id\":\"FAKE-0001\","
                             "\"features\":{\"embwidth\":2600,\"embheight\":1600,"
                             "\"needles\":1,\"postsize\":3000000}}");
}

std::optional<FakeMachine::ReceivedDesign> FakeMachine::designFrom(const Request& request) {
    const QByteArray contentType = request.header("Content-Type").value_or(QByteArray());
    const QByteArray marker = "boundary=";
    const qsizetype at = contentType.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const QByteArray boundary = contentType.mid(at + marker.size());
    const QByteArray partStart =
        "--" + boundary + "\r\nContent-Disposition: form-data; name=\"myfile\"; filename=\"";
    const qsizetype part = request.body.indexOf(partStart);
    if (part < 0)
        return std::nullopt;
    const qsizetype nameStart = part + partStart.size();
    const qsizetype lineEnd = request.body.indexOf("\"\r\n", nameStart);
    const qsizetype dataStart = request.body.indexOf("\r\n\r\n", nameStart);
    const QByteArray closing = "\r\n--" + boundary + "--\r\n";
    if (lineEnd < 0 || dataStart < 0 || !request.body.endsWith(closing))
        return std::nullopt;
    const qsizetype dataEnd = request.body.size() - closing.size();
    if (dataStart + 4 > dataEnd)
        return std::nullopt;
    return ReceivedDesign{request.body.mid(nameStart, lineEnd - nameStart),
                          request.body.mid(dataStart + 4, dataEnd - dataStart - 4)};
}

FakeMachine::FakeMachine(QObject* parent)
    : QObject(parent)
    , m_server(new Server(this))
    , m_certificate(TestCertificate::make())
    , m_infoBody(defaultInfoBody()) {}

FakeMachine::~FakeMachine() {
    closeConnections();
}

bool FakeMachine::start(const QHostAddress& address, quint16 port) {
    if (m_certificate.certificate.isNull() || !m_server->listen(address, port))
        return false;
    m_address = address;
    m_port = m_server->serverPort();
    return true;
}

void FakeMachine::rotateCertificate() {
    TestCertificate next = TestCertificate::make();
    if (!next.certificate.isNull())
        m_certificate = next;
}

void FakeMachine::closeConnections() {
    const QList<Connection*> connections = std::exchange(m_connections, {});
    for (Connection* connection : connections) {
        connection->socket->disconnect(this);
        connection->socket->abort();
        connection->socket->deleteLater();
        delete connection;
    }
    for (const QPointer<QTcpSocket>& socket : std::exchange(m_silentSockets, {}))
        if (socket) {
            socket->abort();
            socket->deleteLater();
        }
}

int FakeMachine::openClientConnections() const {
    DIR* descriptors = opendir("/proc/self/fd");
    if (!descriptors)
        return -1;
    const bool anyAddress = m_address == QHostAddress::Any || m_address == QHostAddress::AnyIPv4;
    int count = 0;
    while (const dirent* entry = readdir(descriptors)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(descriptors))
            continue;
        int type = 0;
        socklen_t typeSize = sizeof type;
        sockaddr_in peer{};
        socklen_t peerSize = sizeof peer;
        if (getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_TYPE, &type, &typeSize) != 0 ||
            type != SOCK_STREAM ||
            getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
            peer.sin_family != AF_INET || ntohs(peer.sin_port) != m_port)
            continue;
        if (anyAddress || QHostAddress(ntohl(peer.sin_addr.s_addr)) == m_address)
            ++count;
    }
    closedir(descriptors);
    return count;
}

void FakeMachine::accept(qintptr descriptor) {
    if (m_neverAnswer) {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        m_silentSockets.append(socket);
        return;
    }
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(m_certificate.certificate);
    tls.setPrivateKey(m_certificate.key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->setSslConfiguration(tls);

    auto* connection = new Connection{socket, {}, std::nullopt, 0, false, {}, 0};
    m_connections.append(connection);
    if (m_readRate > 0 || m_stallAfter >= 0) {
        // Data beyond the small buffers stays with the client until this side reads it.
        const int size = slowReceiveBuffer;
        setsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        socket->setReadBufferSize(slowReceiveBuffer);
        connection->reading.start();
        auto* pace = new QTimer(socket);
        connect(pace, &QTimer::timeout, this, [this, connection] {
            if (m_connections.contains(connection)) // not yet closed
                readFrom(connection);
        });
        pace->start(slowReadIntervalMs);
    }
    connect(socket, &QSslSocket::readyRead, this, [this, connection] { readFrom(connection); });
    connect(socket, &QSslSocket::disconnected, this, [this, connection] {
        if (!m_connections.removeOne(connection))
            return;
        connection->socket->deleteLater();
        delete connection;
    });
    socket->startServerEncryption();
}

qint64 FakeMachine::readAllowance(const Connection* connection) const {
    qint64 allowance = std::numeric_limits<qint64>::max();
    if (m_readRate > 0)
        allowance = connection->reading.elapsed() * m_readRate / 1000 - connection->read;
    if (m_stallAfter >= 0 && connection->pending)
        allowance = std::min(allowance, qint64(m_stallAfter) - connection->buffer.size());
    return std::max<qint64>(allowance, 0);
}

void FakeMachine::readFrom(Connection* connection) {
    QSslSocket* socket = connection->socket;
    const qint64 allowance = readAllowance(connection);
    const QByteArray arrived = allowance == std::numeric_limits<qint64>::max()
                                   ? socket->readAll()
                                   : socket->read(allowance);
    connection->read += arrived.size();
    connection->buffer += arrived;
    for (;;) {
        if (!connection->pending) {
            const qsizetype headerEnd = connection->buffer.indexOf("\r\n\r\n");
            if (headerEnd < 0)
                return;
            const QList<QByteArray> lines = connection->buffer.left(headerEnd).split('\n');
            connection->buffer.remove(0, headerEnd + 4);
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            Request request;
            request.method = requestLine.value(0);
            request.path = requestLine.value(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers.append(
                        {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
            }
            connection->bodyLength = request.header("Content-Length").value_or("0").toLongLong();
            connection->closeAfter = request.header("Connection")
                                         .value_or(QByteArray())
                                         .compare("close", Qt::CaseInsensitive) == 0;
            if (request.header("Expect").value_or(QByteArray()).toLower() == "100-continue")
                socket->write("HTTP/1.1 100 Continue\r\n\r\n");
            // Far more than any design; a peer announcing more, or a negative length, is
            // not a client of ours.
            if (connection->bodyLength < 0 || connection->bodyLength > maxBodyBytes) {
                socket->abort();
                return;
            }
            ++m_requestsStarted;
            connection->pending = std::move(request);
            connection->buffer.reserve(connection->bodyLength);
        }
        if (m_uploadFault == UploadFault::resetMidBody && isUpload(*connection->pending) &&
            connection->buffer.size() > 0 && connection->buffer.size() < connection->bodyLength) {
            reset(socket); // the connection is gone with it
            return;
        }
        if (connection->buffer.size() < connection->bodyLength)
            return;
        Request request = std::move(*connection->pending);
        connection->pending.reset();
        request.body = connection->buffer.left(connection->bodyLength);
        connection->buffer.remove(0, connection->bodyLength);
        m_requests.append(request);
        emit requestReceived(request);
        if (m_uploadFault == UploadFault::closeWithoutAnswer && isUpload(request)) {
            socket->disconnectFromHost(); // the connection is gone with it
            return;
        }

        QPointer<QSslSocket> target(socket);
        const bool closeAfter = connection->closeAfter || m_closeAfterAnswer;
        if (m_delayMilliseconds > 0)
            QTimer::singleShot(m_delayMilliseconds, this, [this, target, request, closeAfter] {
                answer(target, request, closeAfter);
            });
        else
            answer(target, request, closeAfter);
    }
}

void FakeMachine::answer(QPointer<QSslSocket> socket, const Request& request, bool closeAfter) {
    if (!socket)
        return;
    int status = 404;
    QByteArray body;
    if (request.method == "GET" && request.path == "/info") {
        status = m_infoStatus;
        body = m_infoBody;
    } else if (isUpload(request)) {
        status = m_uploadStatus;
    }
    QByteArray head;
    for (const int interim : std::as_const(m_interimAnswers))
        head += "HTTP/1.1 " + QByteArray::number(interim) + ' ' + reasonPhrase(interim) +
                "\r\nLink: </style.css>; rel=preload\r\n\r\n";
    head += "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    if (mayHaveBody(status)) {
        head +=
            "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
            "\r\n";
    } else {
        body.clear();
    }
    if (closeAfter)
        head += "Connection: close\r\n";
    if (m_trickleMilliseconds <= 0 || body.isEmpty()) {
        socket->write(head + "\r\n" + body);
        if (closeAfter)
            socket->disconnectFromHost();
        return;
    }
    socket->write(head + "\r\n");
    auto* timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, socket,
            [socket = socket.data(), timer, body, closeAfter, sent = qsizetype(0)]() mutable {
                socket->write(body.mid(sent++, 1));
                if (sent < body.size())
                    return;
                timer->deleteLater();
                if (closeAfter)
                    socket->disconnectFromHost();
            });
    timer->start(m_trickleMilliseconds);
}
