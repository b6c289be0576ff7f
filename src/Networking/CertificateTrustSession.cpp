#include "Networking/CertificateTrustSession.h"

#include "Models/SavedMachine.h"
#include "Support/LowDelaySockets.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSslConfiguration>
#include <QThread>
#include <QTimer>

#include <QCoroNetwork>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The record's key: the host as a URL names it (lower case; IPv4 text in its plain dotted form,
// international names in their ASCII form), so every spelling that reaches the same host finds
// the same record. Numeric addresses are read in decimal, as connections reach them.
QString hostKey(const QString& host) {
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(connectionHost(host), QUrl::StrictMode);
    const QString normal = url.host(QUrl::FullyEncoded);
    return url.isValid() && !normal.isEmpty() ? normal.toLower() : host.toLower();
}

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
    co_return co_await perform(reply, timeoutSeconds, BodyHandling::keep);
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::post(QUrl url, QByteArray contentType, QByteArray body,
                              double timeoutSeconds) {
    if (!url.isValid())
        co_return std::nullopt;
    QNetworkRequest request = makeRequest(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    QNetworkReply* reply = m_manager->post(request, body);
    co_return co_await perform(reply, timeoutSeconds, BodyHandling::discard);
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::perform(QNetworkReply* reply, double timeoutSeconds,
                                 BodyHandling bodyHandling) {
    // Any certificate is accepted; asking before the handshake covers every error it reports.
    reply->ignoreSslErrors();
    // The reply's children go with it; deleteLater because we resume inside its finished().
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    // A total time-out, unlike the transfer time-out, which only measures silence.
    const double milliseconds =
        std::clamp(std::ceil(timeoutSeconds * 1000.0), 0.0, static_cast<double>(INT_MAX));
    connect(timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    timer->start(std::isnan(milliseconds) ? 0 : static_cast<int>(milliseconds));

    if (bodyHandling == BodyHandling::keep) {
        connect(reply, &QNetworkReply::readyRead, reply, [reply] {
            if (reply->bytesAvailable() > maxReplyBytes)
                reply->abort();
        });
    } else {
        connect(reply, &QNetworkReply::readyRead, reply,
                [reply] { reply->skip(reply->bytesAvailable()); });
    }

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

    Response response;
    response.statusCode = status.toInt();
    if (bodyHandling == BodyHandling::keep) {
        response.body = reply->readAll();
        if (response.body.size() > maxReplyBytes)
            co_return std::nullopt;
    }
    co_return response;
}

void CertificateTrustSession::record(QNetworkReply* reply) {
    const QSslCertificate leaf = reply->sslConfiguration().peerCertificate();
    if (leaf.isNull())
        return;
    const QString host = hostKey(reply->request().url().host());
    const std::lock_guard guard(m_lock);
    m_leafByHost.insert(host, leaf);
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
