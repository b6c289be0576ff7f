#include "Networking/CertificateTrustSession.h"

#include "Networking/HttpAnswerHead.h"
#include "Support/LowDelaySockets.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QThread>
#include <QTimer>

#include <QCoroNetwork>

#include <algorithm>
#include <climits>
#include <cmath>
#include <coroutine>

namespace {

// The record's key: the host as a URL names it (lower case; IPv4 text in its plain dotted form,
// international names in their ASCII form), so every spelling that reaches the same host finds
// the same record.
QString hostKey(const QString& host) {
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(host, QUrl::StrictMode);
    const QString normal = url.host(QUrl::FullyEncoded);
    return url.isValid() && !normal.isEmpty() ? normal.toLower() : host.toLower();
}

int totalTimeoutMilliseconds(double seconds) {
    const double milliseconds =
        std::clamp(std::ceil(seconds * 1000.0), 0.0, static_cast<double>(INT_MAX));
    return std::isnan(milliseconds) ? 0 : static_cast<int>(milliseconds);
}

QSslConfiguration acceptingEveryCertificate() {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

// The outcome of one exchange on its own connection, and the coroutine waiting for it.
struct Exchange {
    bool done = false;
    std::optional<CertificateTrustSession::Response> response;
    std::coroutine_handle<> waiter;

    void finish(std::optional<CertificateTrustSession::Response> outcome) {
        if (done)
            return;
        done = true;
        response = std::move(outcome);
        if (const auto handle = std::exchange(waiter, {})) {
            // Resumed from the event loop, not from inside the socket's signal.
            QTimer::singleShot(0, [handle] { handle.resume(); });
        }
    }
};

struct ExchangeFinished {
    Exchange& exchange;

    bool await_ready() const noexcept { return exchange.done; }
    void await_suspend(std::coroutine_handle<> handle) noexcept { exchange.waiter = handle; }
    std::optional<CertificateTrustSession::Response> await_resume() {
        return std::move(exchange.response);
    }
};

} // namespace

CertificateTrustSession& CertificateTrustSession::shared() {
    // Function-local statics are initialised exactly once, also under concurrent first calls;
    // the object is intentionally leaked so no request can outlive its client.
    static CertificateTrustSession* const instance = new CertificateTrustSession;
    return *instance;
}

CertificateTrustSession::CertificateTrustSession()
    : m_manager(new QNetworkAccessManager(this)) {
    // The manager has no cache, so every request goes to the machine; asking for AlwaysNetwork
    // would only add Cache-Control and Pragma headers. Requests opt out of cookies themselves.
    // A machine that redirects is answered as it is, never followed.
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_manager->setAutoDeleteReplies(false);
    connect(m_manager, &QNetworkAccessManager::sslErrors, this,
            [](QNetworkReply* reply, const QList<QSslError>&) {
                // Trust is not evaluated: any certificate is accepted and only recorded.
                reply->ignoreSslErrors();
            });
    // Emitted once per new connection, on the application's thread.
    connect(m_manager, &QNetworkAccessManager::encrypted, this, [this](QNetworkReply* reply) {
        record(reply);
        const int port = reply->url().port(443);
        if (port > 0 && port <= 65535)
            LowDelaySockets::enableForPeerPort(static_cast<quint16>(port));
    });
    // Whoever asks first, the client lives on the application's thread with the rest of the
    // program's state.
    if (QCoreApplication* application = QCoreApplication::instance();
        application && thread() != application->thread())
        moveToThread(application->thread());
}

QNetworkRequest CertificateTrustSession::makeRequest(const QUrl& url) const {
    QNetworkRequest request(url);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    request.setSslConfiguration(tls);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    return request;
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::data(QUrl url, double timeoutSeconds) {
    if (!url.isValid())
        co_return std::nullopt;
    QNetworkReply* reply = m_manager->get(makeRequest(url));
    co_return co_await perform(reply, timeoutSeconds);
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::post(QUrl url, QByteArray contentType, QByteArray body,
                              double timeoutSeconds) {
    if (!url.isValid())
        co_return std::nullopt;
    // Not through the manager: its HTTP layer sends a request again on its own when a
    // connection closes before the answer, and a machine that stored the design and then
    // dropped the connection would get it several times over.
    const QString host = url.host();
    const int port = url.port(443);
    QByteArray head = "POST " + url.path(QUrl::FullyEncoded).toLatin1() +
                      " HTTP/1.1\r\nHost: " + url.host(QUrl::FullyEncoded).toLatin1();
    if (port != 443)
        head += ':' + QByteArray::number(port);
    head += "\r\nContent-Type: " + contentType +
            "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";

    Exchange exchange;
    auto* socket = new QSslSocket;
    socket->setSslConfiguration(acceptingEveryCertificate());
    QByteArray received;
    connect(socket, &QSslSocket::sslErrors, socket, [socket] { socket->ignoreSslErrors(); });
    connect(socket, &QSslSocket::encrypted, socket, [&, socket] {
        record(host, socket->peerCertificate());
        // The body's last segment must not wait for the machine's delayed acknowledgement.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->write(head);
        socket->write(body);
        body.clear(); // the socket holds what it still has to send
    });
    const auto readAnswer = [&, socket] {
        received += socket->read(HttpAnswerHead::maxBytes + 1 - received.size());
        const HttpAnswerHead::Reading reading = HttpAnswerHead::finalStatus(received);
        if (const auto* status = std::get_if<HttpAnswerHead::Status>(&reading))
            exchange.finish(Response{status->code, {}});
        else if (std::holds_alternative<HttpAnswerHead::NotHTTP>(reading))
            exchange.finish(std::nullopt);
    };
    connect(socket, &QSslSocket::readyRead, socket, readAnswer);
    // A closed or reset connection ends the request at once; what arrived before still counts.
    const auto ended = [&, readAnswer] {
        readAnswer();
        exchange.finish(std::nullopt);
    };
    connect(socket, &QSslSocket::errorOccurred, socket, ended);
    connect(socket, &QSslSocket::disconnected, socket, ended);
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, socket, [&] { exchange.finish(std::nullopt); });
    timer->start(totalTimeoutMilliseconds(timeoutSeconds));

    socket->connectToHostEncrypted(host, static_cast<quint16>(port));
    std::optional<Response> response = co_await ExchangeFinished{exchange};

    socket->disconnect();
    socket->abort();
    socket->deleteLater();
    co_return response;
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::perform(QNetworkReply* reply, double timeoutSeconds) {
    // Any certificate is accepted; asking before the handshake covers every error it reports.
    reply->ignoreSslErrors();
    // The reply's children go with it; deleteLater because we resume inside its finished().
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    // A total time-out, unlike the transfer time-out, which only measures silence.
    connect(timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    timer->start(totalTimeoutMilliseconds(timeoutSeconds));

    connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > maxReplyBytes)
            reply->abort();
    });

    co_await reply;

    timer->stop();
    reply->deleteLater();
    record(reply);

    // A reply that came back with an HTTP status is an answer, also when Qt files the status
    // under an error code (404 and the like). Transport and proxy failures, and a cancelled
    // reply (our time-out or the size cap), are not.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    if (!status.isValid() || error == QNetworkReply::OperationCanceledError ||
        (error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied))
        co_return std::nullopt;

    Response response{status.toInt(), reply->readAll()};
    if (response.body.size() > maxReplyBytes)
        co_return std::nullopt;
    co_return response;
}

void CertificateTrustSession::record(QNetworkReply* reply) {
    record(reply->request().url().host(), reply->sslConfiguration().peerCertificate());
}

void CertificateTrustSession::record(const QString& host, const QSslCertificate& leaf) {
    if (leaf.isNull())
        return;
    const QString key = hostKey(host);
    const std::lock_guard guard(m_lock);
    m_leafByHost.insert(key, leaf);
}

std::optional<QString> CertificateTrustSession::certificateFingerprint(const QString& host) const {
    const QString key = hostKey(host);
    QSslCertificate leaf;
    {
        const std::lock_guard guard(m_lock);
        const auto found = m_leafByHost.constFind(key);
        if (found == m_leafByHost.constEnd())
            return std::nullopt;
        leaf = *found;
    }
    if (leaf.isNull())
        return std::nullopt;
    return fingerprintText(leaf);
}

QString CertificateTrustSession::fingerprintText(const QSslCertificate& certificate) {
    const QByteArray digest =
        QCryptographicHash::hash(certificate.toDer(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex(':').toUpper());
}

void CertificateTrustSession::closeIdleConnections() {
    m_manager->clearConnectionCache();
}
