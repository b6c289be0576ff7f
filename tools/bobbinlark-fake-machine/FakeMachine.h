#pragma once

#include "bobbinlark-fake-machine/TestCertificate.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QTcpServer>

#include <optional>

class QSslSocket;
class QTcpSocket;

// A Brother machine's HTTPS endpoint on loopback, with a certificate made for the run. It
// serves GET "/info" and POST "/sewing/sewing.cgi", can be slow or silent, can change its
// certificate, and records every request it receives. It lives on the thread that made it.
class FakeMachine : public QObject {
    Q_OBJECT

public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers; // in the order received
        QByteArray body;

        // The first header of that name in any letter case; absent when missing.
        std::optional<QByteArray> header(const QByteArray& name) const;
    };

    // The design part of an upload as the machine would store it.
    struct ReceivedDesign {
        QByteArray fileName;
        QByteArray data;
    };

    // A reply like a real machine's; the fields tests usually do not care about.
    static QByteArray defaultInfoBody();

    // Reads the "myfile" part out of an upload; absent when the body is not that form.
    static std::optional<ReceivedDesign> designFrom(const Request& request);

    explicit FakeMachine(QObject* parent = nullptr);
    ~FakeMachine() override;

    // Listens on `address`; port 0 picks a free one. False when it cannot listen.
    bool start(const QHostAddress& address = QHostAddress(QStringLiteral("127.0.0.5")),
               quint16 port = 0);
    QString host() const { return m_address.toString(); }
    quint16 port() const { return m_port; }

    QList<Request> requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

    void setInfoStatus(int status) { m_infoStatus = status; }
    void setInfoBody(const QByteArray& body) { m_infoBody = body; }
    void setUploadStatus(int status) { m_uploadStatus = status; }
    // Interim (1xx) answers sent ahead of every final one, in this order.
    void setInterimAnswers(QList<int> statuses) { m_interimAnswers = std::move(statuses); }
    // Waits this long after a request has arrived before answering it.
    void setDelay(int milliseconds) { m_delayMilliseconds = milliseconds; }
    // Sends each answer's body one byte at a time at this interval: never silent for long, but
    // slow overall.
    void setTrickle(int milliseconds) { m_trickleMilliseconds = milliseconds; }
    // Reads what clients send at this many bytes a second, with a small receive buffer as a
    // machine on a slow link has, so a client's data waits in its own socket; 0 reads at once.
    // Set before the connection is made.
    void setReadRate(qint64 bytesPerSecond) { m_readRate = bytesPerSecond; }
    // Stops reading a request's body once this many of its bytes have arrived (a machine that
    // hangs mid-upload); negative never stops.
    void setStallAfter(qint64 bodyBytes) { m_stallAfter = bodyBytes; }
    // Accepts TCP connections and then stays silent: no TLS handshake, no answer.
    void setNeverAnswer(bool neverAnswer) { m_neverAnswer = neverAnswer; }

    // Closes each connection after its answer, so every request makes a new handshake.
    void setCloseAfterAnswer(bool close) { m_closeAfterAnswer = close; }

    // How the machine fails an upload instead of answering it.
    enum class UploadFault {
        none,
        closeWithoutAnswer, // keeps the whole upload (in requests()), then closes unanswered
        resetMidBody,       // resets the connection once part of the body has arrived
    };
    void setUploadFault(UploadFault fault) { m_uploadFault = fault; }
    // Requests whose head arrived, complete or not.
    int requestsStarted() const { return m_requestsStarted; }
    // TCP connections this process holds open to the machine: the client side of each (its
    // port, and its address unless the machine listens on every address).
    int openClientConnections() const;

    // New connections see a new certificate; open ones keep the old.
    void rotateCertificate();
    // Closes every open connection, as a machine that restarts would.
    void closeConnections();
    QString fingerprint() const { return m_certificate.fingerprint; }
    QSslCertificate certificate() const { return m_certificate.certificate; }

signals:
    void requestReceived(const FakeMachine::Request& request);

private:
    class Server;
    struct Connection;

    void accept(qintptr descriptor);
    void readFrom(Connection* connection);
    // Bytes the connection may read now: everything, or what its rate has allowed so far.
    qint64 readAllowance(const Connection* connection) const;
    void answer(QPointer<QSslSocket> socket, const Request& request, bool closeAfter);

    Server* m_server;
    TestCertificate m_certificate;
    QHostAddress m_address;
    quint16 m_port = 0;
    QList<Request> m_requests;
    QList<Connection*> m_connections;
    QList<QPointer<QTcpSocket>> m_silentSockets;

    int m_infoStatus = 200;
    QByteArray m_infoBody;
    int m_uploadStatus = 200;
    QList<int> m_interimAnswers;
    int m_delayMilliseconds = 0;
    int m_trickleMilliseconds = 0;
    bool m_neverAnswer = false;
    qint64 m_readRate = 0;
    qint64 m_stallAfter = -1;
    bool m_closeAfterAnswer = false;
    UploadFault m_uploadFault = UploadFault::none;
    int m_requestsStarted = 0;
};
