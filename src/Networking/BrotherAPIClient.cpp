#include "Networking/BrotherAPIClient.h"

#include "Models/SavedMachine.h"
#include "Networking/CertificateTrustSession.h"
#include "Support/JsonFields.h"

#include <QUuid>

#include <algorithm>

namespace {

// Free coroutines taking everything by value: the client may be dropped mid-flight, and the
// session is never released.
QCoro::Task<std::optional<MachineInfo>> fetchInfoFrom(CertificateTrustSession* session, QUrl url,
                                                      QString host, qint64 port,
                                                      double timeoutSeconds) {
    const std::optional<CertificateTrustSession::Response> response =
        co_await session->data(url, timeoutSeconds);
    if (!response || response->statusCode != 200)
        co_return std::nullopt;
    co_return MachineInfo::parse(response->body, host, port, session->certificateFingerprint(host));
}

QCoro::Task<std::optional<BrotherAPIError>> uploadTo(CertificateTrustSession* session, QUrl url,
                                                     QByteArray data, QByteArray fileName,
                                                     double timeoutSeconds) {
    const BrotherAPIClient::UploadBody upload = BrotherAPIClient::buildUploadBody(data, fileName);
    data.clear(); // the body holds the only copy we need while the request is in flight
    const std::optional<CertificateTrustSession::Response> response = co_await session->post(
        url, QByteArrayLiteral("multipart/form-data; boundary=") + upload.boundary, upload.body,
        timeoutSeconds);
    if (!response)
        co_return BrotherAPIError::unreachable();
    if (response->statusCode >= 400 && response->statusCode <= 599)
        co_return BrotherAPIError::badStatus(response->statusCode);
    co_return std::nullopt;
}

} // namespace

BrotherAPIClient::BrotherAPIClient(QString host, qint64 port, CertificateTrustSession& session)
    : m_host(std::move(host))
    , m_port(port)
    , m_session(&session) {}

QUrl BrotherAPIClient::url(const QString& path) const {
    // The host goes in as it is; characters that would end the host and name another server,
    // port or path (or, percent-encoded, anything at all) make no URL.
    static const QString structural = QStringLiteral("/?#@\\[]:%");
    const bool plainHost =
        !m_host.isEmpty() && std::none_of(m_host.begin(), m_host.end(), [](QChar c) {
            return structural.contains(c) || c.isSpace() || c.category() == QChar::Other_Control;
        });
    if (!plainHost)
        return {};
    const QUrl url(QStringLiteral("https://") + connectionHost(m_host) + u':' +
                       QString::number(m_port) + path,
                   QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.port() != m_port || url.path() != path)
        return {};
    return url;
}

QCoro::Task<std::optional<MachineInfo>> BrotherAPIClient::fetchInfo(double timeoutSeconds) const {
    const QUrl infoURL = url(QStringLiteral("/info"));
    if (!infoURL.isValid())
        return []() -> QCoro::Task<std::optional<MachineInfo>> { co_return std::nullopt; }();
    return fetchInfoFrom(m_session, infoURL, m_host, m_port, timeoutSeconds);
}

QCoro::Task<std::optional<BrotherAPIError>> BrotherAPIClient::upload(QByteArray data,
                                                                     QByteArray fileName,
                                                                     qint64 maxBytes,
                                                                     double timeoutSeconds) const {
    std::optional<BrotherAPIError> early;
    const QUrl uploadURL = url(QStringLiteral("/sewing/sewing.cgi"));
    if (data.size() > maxBytes)
        early = BrotherAPIError::tooLarge(maxBytes);
    else if (!uploadURL.isValid())
        early = BrotherAPIError::unreachable();
    if (early)
        return [](BrotherAPIError error) -> QCoro::Task<std::optional<BrotherAPIError>> {
            co_return error;
        }(*early);
    return uploadTo(m_session, uploadURL, std::move(data), std::move(fileName), timeoutSeconds);
}

BrotherAPIClient::UploadBody BrotherAPIClient::buildUploadBody(const QByteArray& data,
                                                               const QByteArray& fileName) {
    const QByteArray boundary = QByteArrayLiteral("Bobbinlark-") +
                                QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    QByteArray safeName = fileName;
    safeName.replace('\r', '_').replace('\n', '_');

    static constexpr char crlf[] = "\r\n";
    QByteArray body;
    body.reserve(450 + safeName.size() + data.size());
    body += "--" + boundary + crlf;
    body += "Content-Disposition: form-data; name=\"req_parameter\"; filename=\"req_parameter\"";
    body += crlf;
    body += "Content-Type: application/x-www-form-urlencoded";
    body += crlf;
    body += crlf;
    body += "req_sessionid=0&req_appid=23&req_appver=100&req_appstate=3";
    body += crlf;
    body += "--" + boundary + crlf;
    body += "Content-Disposition: form-data; name=\"myfile\"; filename=\"" + safeName + '"';
    body += crlf;
    body += "Content-Type: application/octet-stream";
    body += crlf;
    body += crlf;
    body += data;
    body += crlf;
    body += "--" + boundary + "--" + crlf;
    return {body, boundary};
}
