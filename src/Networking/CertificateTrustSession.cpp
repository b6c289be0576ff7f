#include "Networking/CertificateTrustSession.h"

#include "Models/SavedMachine.h"
#include "Networking/HttpAnswerReader.h"
#include "Networking/TlsConnection.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cmath>
#include <coroutine>
#include <memory>

namespace {

// The record's key: the host as a URL names it (lower case; IPv4 text in its plain dotted form,
// international names in their ASCII form), so every spelling that reaches the same host finds
// the same record, and the port. Numeric addresses are read in decimal, as connections reach
// them.
QString endpointKey(const QString& host, quint16 port) {
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(connectionHost(host), QUrl::StrictMode);
    const QString normal = url.host(QUrl::FullyEncoded);
    return (url.isValid() && !normal.isEmpty() ? normal.toLower() : host.toLower()) + u' ' +
           QString::number(port);
}

int totalTimeoutMilliseconds(double seconds) {
    const double milliseconds =
        std::clamp(std::ceil(seconds * 1000.0), 0.0, static_cast<double>(INT_MAX));
    return std::isnan(milliseconds) ? 0 : static_cast<int>(milliseconds);
}

// The request line and the fields an HTTP client adds itself; `fields` are the caller's.
QByteArray requestHead(const char* method, const QUrl& url, const QByteArray& fields) {
    QByteArray head = method;
    head += ' ' + url.path(QUrl::FullyEncoded).toLatin1() +
            " HTTP/1.1\r\nHost: " + url.host(QUrl::FullyEncoded).toLatin1();
    if (const int port = url.port(443); port != 443)
        head += ':' + QByteArray::number(port);
    // The connection carries this one request.
    head += "\r\nConnection: close\r\n" + fields + "\r\n";
    return head;
}

// The outcome of one exchange, and the coroutine waiting for it.
struct Outcome {
    bool done = false;
    std::optional<CertificateTrustSession::Response> response;
    std::coroutine_handle<> waiter;

    void finish(std::optional<CertificateTrustSession::Response> result) {
        if (done)
            return;
        done = true;
        response = std::move(result);
        if (const auto handle = std::exchange(waiter, {})) {
            // Resumed from the event loop, not from inside the socket's signal.
            QTimer::singleShot(0, [handle] { handle.resume(); });
        }
    }
};

struct OutcomeArrived {
    Outcome& outcome;

    bool await_ready() const noexcept { return outcome.done; }
    void await_suspend(std::coroutine_handle<> handle) noexcept { outcome.waiter = handle; }
    std::optional<CertificateTrustSession::Response> await_resume() {
        return std::move(outcome.response);
    }
};

} // namespace

CertificateTrustSession& CertificateTrustSession::shared() {
    // Function-local statics are initialised exactly once, also under concurrent first calls;
    // the object is intentionally leaked so no request can outlive its client.
    static CertificateTrustSession* const instance = new CertificateTrustSession;
    return *instance;
}

CertificateTrustSession::CertificateTrustSession() {
    // Whoever asks first, the client lives on the application's thread with the rest of the
    // program's state.
    if (QCoreApplication* application = QCoreApplication::instance();
        application && thread() != application->thread())
        moveToThread(application->thread());
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::data(QUrl url, double timeoutSeconds) {
    if (!url.isValid())
        co_return std::nullopt;
    co_return co_await exchange(url, requestHead("GET", url, {}), {}, Reading::whole,
                                timeoutSeconds);
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::post(QUrl url, QByteArray contentType, QByteArrayList body,
                              double timeoutSeconds) {
    if (!url.isValid())
        co_return std::nullopt;
    qsizetype length = 0;
    for (const QByteArray& piece : body)
        length += piece.size();
    QByteArray head = requestHead("POST", url,
                                  "Content-Type: " + contentType +
                                      "\r\nContent-Length: " + QByteArray::number(length) + "\r\n");
    co_return co_await exchange(url, std::move(head), std::move(body), Reading::statusLine,
                                timeoutSeconds);
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::exchange(QUrl url, QByteArray head, QByteArrayList body, Reading reading,
                                  double timeoutSeconds) {
    const QString host = url.host();
    const auto port = static_cast<quint16>(url.port(443));
    std::optional<QString> fingerprint;
    Outcome outcome;
    HttpAnswerReader answer(reading == Reading::whole ? HttpAnswerReader::Extent::whole
                                                      : HttpAnswerReader::Extent::statusLine,
                            maxReplyBytes);
    const auto settle = [&] {
        if (answer.state() == HttpAnswerReader::State::reading)
            return;
        if (answer.state() == HttpAnswerReader::State::failed)
            outcome.finish(std::nullopt);
        else
            outcome.finish(Response{answer.statusCode().value_or(0), answer.body(), fingerprint});
    };

    // Both end with this frame, and with them the signal handlers that reach its locals. The
    // connection is closed here at once, answered or not.
    const auto connection = std::make_unique<TlsConnection>();
    QTimer timer;
    connect(connection.get(), &TlsConnection::encrypted, connection.get(), [&] {
        const QByteArray leaf = connection->peerCertificate();
        record(host, port, leaf);
        if (!leaf.isEmpty())
            fingerprint = fingerprintText(leaf);
        connection->write(head);
        for (const QByteArray& piece : std::as_const(body))
            connection->write(piece);
    });
    connect(connection.get(), &TlsConnection::received, connection.get(),
            [&](const QByteArray& bytes) {
                answer.feed(bytes);
                settle();
            });
    // A closed, reset or failed connection ends the request at once. What arrived before it
    // still counts, and an answer framed by the end of the connection is complete.
    connect(connection.get(), &TlsConnection::ended, connection.get(), [&] {
        answer.close();
        settle();
    });
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, connection.get(), [&] { outcome.finish(std::nullopt); });
    timer.start(totalTimeoutMilliseconds(timeoutSeconds));

    connection->connectToHost(host, port);
    co_return co_await OutcomeArrived{outcome};
}

void CertificateTrustSession::record(const QString& host, quint16 port, const QByteArray& leafDer) {
    if (leafDer.isEmpty())
        return;
    const QString key = endpointKey(host, port);
    const std::lock_guard guard(m_lock);
    m_leafByEndpoint.insert(key, leafDer);
}

std::optional<QString> CertificateTrustSession::certificateFingerprint(const QString& host,
                                                                       quint16 port) const {
    const QString key = endpointKey(host, port);
    QByteArray leaf;
    {
        const std::lock_guard guard(m_lock);
        const auto found = m_leafByEndpoint.constFind(key);
        if (found == m_leafByEndpoint.constEnd())
            return std::nullopt;
        leaf = *found;
    }
    return fingerprintText(leaf);
}

QString CertificateTrustSession::fingerprintText(const QByteArray& certificateDer) {
    const QByteArray digest = QCryptographicHash::hash(certificateDer, QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex(':').toUpper());
}
