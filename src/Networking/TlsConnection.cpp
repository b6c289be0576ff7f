#include "Networking/TlsConnection.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// Writing to a connection the peer has reset raises SIGPIPE, which would end the program; with
// it ignored the write fails and the connection ends like any other failure. Qt's own sockets
// set the same. A handler someone else installed is kept.
void ignoreBrokenPipes() {
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, nullptr);
    }
}

// Shared by all connections of all threads (OpenSSL allows that); made on first use, never freed.
SSL_CTX* clientContext() {
    static SSL_CTX* const context = [] {
        ignoreBrokenPipes();
        SSL_CTX* made = SSL_CTX_new(TLS_client_method());
        if (!made)
            return made;
        SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
        // Any certificate: it is recorded, and trusted or not, by the caller.
        SSL_CTX_set_verify(made, SSL_VERIFY_NONE, nullptr);
        // A write returns once a record is out, and is retried from wherever the piece now is.
        SSL_CTX_set_mode(made, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        // A machine may end its answer by closing the connection without a TLS goodbye. A
        // one-request connection has no use for renegotiation, which a peer could otherwise
        // start in the middle of an upload.
        SSL_CTX_set_options(made, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
        SSL_CTX_set_session_cache_mode(made, SSL_SESS_CACHE_OFF);
        return made;
    }();
    return context;
}

bool toSocketAddress(const QHostAddress& address, quint16 port, sockaddr_storage& storage,
                     socklen_t& length) {
    storage = {};
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4) {
        auto& in = reinterpret_cast<sockaddr_in&>(storage);
        in.sin_family = AF_INET;
        in.sin_port = htons(port);
        in.sin_addr.s_addr = htonl(ipv4);
        length = sizeof(sockaddr_in);
        return true;
    }
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto& in6 = reinterpret_cast<sockaddr_in6&>(storage);
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        static_assert(sizeof(bytes.c) == sizeof(in6.sin6_addr.s6_addr));
        std::copy(std::begin(bytes.c), std::end(bytes.c), std::begin(in6.sin6_addr.s6_addr));
        // The zone of a link-local address, by number or by interface name.
        const QString zone = address.scopeId();
        bool numeric = false;
        const uint index = zone.toUInt(&numeric);
        in6.sin6_scope_id =
            numeric ? index : static_cast<uint>(QNetworkInterface::interfaceIndexFromName(zone));
        length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

QByteArray derOf(SSL* ssl) {
    X509* leaf = SSL_get1_peer_certificate(ssl);
    if (!leaf)
        return {};
    QByteArray der;
    if (const int size = i2d_X509(leaf, nullptr); size > 0) {
        der.resize(size);
        auto* out = reinterpret_cast<unsigned char*>(der.data());
        if (i2d_X509(leaf, &out) != size)
            der.clear();
    }
    X509_free(leaf);
    return der;
}

} // namespace

TlsConnection::TlsConnection() = default;

TlsConnection::~TlsConnection() {
    if (m_lookupID >= 0)
        QHostInfo::abortHostLookup(m_lookupID);
    release();
}

void TlsConnection::connectToHost(const QString& host, quint16 port) {
    m_port = port;
    if (QHostAddress literal; literal.setAddress(host)) {
        m_addresses = {literal};
        // Outcomes always come from the event loop, never from inside this call.
        QTimer::singleShot(0, this, &TlsConnection::connectToNextAddress);
        return;
    }
    m_serverName = QUrl::toAce(host);
    m_lookupID = QHostInfo::lookupHost(host, this, [this](const QHostInfo& info) {
        m_lookupID = -1;
        m_addresses = info.addresses();
        connectToNextAddress();
    });
}

void TlsConnection::write(const QByteArray& piece) {
    if (m_phase == Phase::ended || piece.isEmpty())
        return;
    m_outgoing.append(piece);
    if (m_phase == Phase::open && !m_flushing)
        flush();
}

void TlsConnection::connectToNextAddress() {
    m_phase = Phase::connecting;
    while (!m_addresses.isEmpty()) {
        sockaddr_storage address;
        socklen_t length = 0;
        if (!toSocketAddress(m_addresses.takeFirst(), m_port, address, length))
            continue;
        const int socket =
            ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (socket < 0)
            continue;
        // Interrupted, the connection still goes on in the background, as when in progress.
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), length) != 0 &&
            errno != EINPROGRESS && errno != EINTR) {
            ::close(socket);
            continue;
        }
        m_socket = socket;
        m_readable = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        m_writable = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        m_readable->setEnabled(false);
        connect(m_readable.get(), &QSocketNotifier::activated, this,
                [this] { socketReady(false); });
        connect(m_writable.get(), &QSocketNotifier::activated, this, [this] { socketReady(true); });
        return; // writable once connected or refused
    }
    end();
}

void TlsConnection::socketReady(bool writable) {
    switch (m_phase) {
    case Phase::connecting: {
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            release();
            connectToNextAddress();
            return;
        }
        startHandshake();
        return;
    }
    case Phase::handshaking:
        handshake();
        return;
    case Phase::open: {
        // Each side is retried where OpenSSL asked for the other one (a key update or a
        // handshake message of the peer in between). Meanwhile the side that waits is not
        // watched, as a socket that stays readable or writable would wake us without end.
        bool receiveNow = !writable;
        if (writable && std::exchange(m_receiveWantsWrite, false)) {
            m_readable->setEnabled(true);
            receiveNow = true;
        }
        if (receiveNow)
            receive();
        if (m_phase == Phase::open && (writable || std::exchange(m_flushWantsRead, false)))
            flush();
        return;
    }
    case Phase::resolving:
    case Phase::ended:
        return;
    }
}

void TlsConnection::startHandshake() {
    // A request's last segment must not wait for the peer's delayed acknowledgement.
    const int on = 1;
    setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    SSL_CTX* context = clientContext();
    m_ssl = context ? SSL_new(context) : nullptr;
    if (!m_ssl || SSL_set_fd(m_ssl, m_socket) != 1) {
        end();
        return;
    }
    // The server name, as SSL_set_tlsext_host_name sends it (the macro's C cast is not ours).
    if (!m_serverName.isEmpty())
        SSL_ctrl(m_ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                 m_serverName.data());
    SSL_set_connect_state(m_ssl);
    m_phase = Phase::handshaking;
    handshake();
}

void TlsConnection::handshake() {
    ERR_clear_error();
    const int result = SSL_connect(m_ssl);
    if (result == 1) {
        m_phase = Phase::open;
        m_peerCertificate = derOf(m_ssl);
        m_readable->setEnabled(true);
        m_writable->setEnabled(false);
        emit encrypted();
        if (m_phase == Phase::open)
            flush();
        return;
    }
    // Only the side OpenSSL waits for is watched.
    switch (SSL_get_error(m_ssl, result)) {
    case SSL_ERROR_WANT_READ:
        m_readable->setEnabled(true);
        m_writable->setEnabled(false);
        return;
    case SSL_ERROR_WANT_WRITE:
        m_readable->setEnabled(false);
        m_writable->setEnabled(true);
        return;
    default:
        end();
    }
}

void TlsConnection::receive() {
    char buffer[16 * 1024];
    while (m_phase == Phase::open) {
        ERR_clear_error();
        size_t got = 0;
        const int result = SSL_read_ex(m_ssl, buffer, sizeof buffer, &got);
        if (result == 1) {
            emit received(QByteArray(buffer, static_cast<qsizetype>(got)));
            continue;
        }
        switch (SSL_get_error(m_ssl, result)) {
        case SSL_ERROR_WANT_READ:
            return;
        case SSL_ERROR_WANT_WRITE:
            m_receiveWantsWrite = true;
            m_readable->setEnabled(false);
            m_writable->setEnabled(true);
            return;
        default: // closed by the peer, reset or broken
            end();
            return;
        }
    }
}

void TlsConnection::flush() {
    m_flushing = true;
    const auto done = qScopeGuard([this] { m_flushing = false; });
    while (m_phase == Phase::open) {
        if (m_outgoing.isEmpty()) {
            emit wantsMore();
            if (m_phase != Phase::open || m_outgoing.isEmpty())
                break;
        }
        const QByteArray& piece = m_outgoing.front();
        ERR_clear_error();
        size_t written = 0;
        const int result =
            SSL_write_ex(m_ssl, piece.constData() + m_sentOfFirst,
                         static_cast<size_t>(piece.size() - m_sentOfFirst), &written);
        if (result == 1) {
            m_sentOfFirst += static_cast<qsizetype>(written);
            m_plainInSocket += static_cast<qint64>(written);
            m_unacknowledged.append({BIO_number_written(SSL_get_wbio(m_ssl)), m_plainInSocket});
            if (m_sentOfFirst == piece.size()) {
                m_outgoing.removeFirst();
                m_sentOfFirst = 0;
            }
            continue;
        }
        switch (SSL_get_error(m_ssl, result)) {
        case SSL_ERROR_WANT_WRITE:
            m_writable->setEnabled(true);
            return;
        case SSL_ERROR_WANT_READ:
            m_flushWantsRead = true;
            if (!m_receiveWantsWrite)
                m_writable->setEnabled(false);
            return;
        default:
            // The peer may have answered before it stopped reading: that answer still counts.
            receive();
            end();
            return;
        }
    }
    if (m_phase == Phase::open && !m_receiveWantsWrite)
        m_writable->setEnabled(false);
}

qint64 TlsConnection::acknowledgedBytes() {
    noteAcknowledged();
    return m_plainAcknowledged;
}

void TlsConnection::noteAcknowledged() {
    if (!m_ssl || m_socket < 0 || m_unacknowledged.isEmpty())
        return;
    int unacknowledged = 0;
    if (ioctl(m_socket, SIOCOUTQ, &unacknowledged) != 0 || unacknowledged < 0)
        return;
    const quint64 output = BIO_number_written(SSL_get_wbio(m_ssl));
    const quint64 taken = output - std::min<quint64>(output, quint64(unacknowledged));
    while (!m_unacknowledged.isEmpty() && m_unacknowledged.front().socketBytes <= taken)
        m_plainAcknowledged = m_unacknowledged.takeFirst().plainBytes;
}

void TlsConnection::end() {
    if (m_phase == Phase::ended)
        return;
    // The socket's count goes with it: what the peer took before the end is read now.
    noteAcknowledged();
    m_phase = Phase::ended;
    m_outgoing.clear();
    release();
    emit ended();
}

void TlsConnection::release() {
    // Failures leave their reasons in the thread's OpenSSL error queue, where another user of
    // OpenSSL on this thread would take them for its own.
    ERR_clear_error();
    // The notifiers go before the socket they watch.
    m_readable.reset();
    m_writable.reset();
    if (m_ssl) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
}
