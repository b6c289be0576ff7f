#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;
typedef struct ssl_st SSL;

// One TLS client connection on a non-blocking socket, driven by OpenSSL directly from the
// calling thread's event loop. It verifies nothing (the caller records the peer's certificate
// instead) and sends what it is given as it is: each piece is encrypted straight from the
// caller's bytes into the socket, with no copy of the whole and no TLS plugin to load, which is
// most of the cost of a short-lived program's one upload.
//
// Every outcome is a signal: `encrypted` once the handshake is done, `received` for each run of
// decrypted bytes, and `ended` once when the connection fails, is refused, resets or is closed
// by the peer. The socket is released at `ended` or when the object goes, whichever comes first.
class TlsConnection : public QObject {
    Q_OBJECT

public:
    TlsConnection();
    ~TlsConnection() override;

    // Resolves the host unless it is an IPv4 or IPv6 address (with its zone, if any), then tries
    // its addresses in turn. A host name, international ones included, is also sent as the
    // server name in its ASCII form. Call once.
    void connectToHost(const QString& host, quint16 port);

    // Sends the bytes after everything given before, once the handshake is done. The piece is
    // kept (shared, not copied) until it is all in the socket.
    void write(const QByteArray& piece);

    // How many of the bytes given to `write` the peer has taken: those whose TLS records its TCP
    // has acknowledged. Bytes in our socket's send buffer do not count, as the kernel takes
    // megabytes at once while a slow machine reads for many seconds. Kept once the connection
    // has ended.
    qint64 acknowledgedBytes();

    // The DER form of the peer's leaf certificate; empty before `encrypted`.
    const QByteArray& peerCertificate() const { return m_peerCertificate; }

signals:
    void encrypted();
    // Everything given to `write` is in the socket: a caller that makes its bytes as they go
    // (a file read a piece at a time) writes its next piece now.
    void wantsMore();
    void received(const QByteArray& bytes);
    void ended();

private:
    enum class Phase { resolving, connecting, handshaking, open, ended };

    void connectToNextAddress();
    void socketReady(bool writable);
    void startHandshake();
    void handshake();
    void receive();
    void flush();
    void end();
    void release();

    Phase m_phase = Phase::resolving;
    QByteArray m_serverName; // the host's ASCII form when it is a name; empty for an address
    quint16 m_port = 0;
    int m_lookupID = -1;
    QList<QHostAddress> m_addresses; // still to try
    int m_socket = -1;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    SSL* m_ssl = nullptr;
    QByteArray m_peerCertificate;
    void noteAcknowledged();

    // After each record went into the socket: the socket's whole output so far (handshake
    // included) and the plain bytes it carries. The peer has taken a record's plain bytes once
    // its TCP acknowledged that much output.
    struct WriteMark {
        quint64 socketBytes;
        qint64 plainBytes;
    };
    QList<WriteMark> m_unacknowledged;
    qint64 m_plainInSocket = 0;
    qint64 m_plainAcknowledged = 0;
    QList<QByteArray> m_outgoing;
    qsizetype m_sentOfFirst = 0; // bytes of m_outgoing's first piece already in the socket
    bool m_receiveWantsWrite = false;
    bool m_flushWantsRead = false;
    bool m_flushing = false; // a write from `wantsMore` is sent by the flush that asked for it
};
