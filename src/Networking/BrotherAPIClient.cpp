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
    co_return MachineInfo::parse(response->body, host, port, response->certificateFingerprint);
}

using Design = CertificateTrustSession::BodyPart;

QCoro::Task<std::optional<BrotherAPIError>> uploadTo(CertificateTrustSession* session, QUrl url,
                                                     Design design, QByteArray fileName,
                                                     double idleSeconds,
                                                     BrotherAPIClient::Progress progress) {
    const BrotherAPIClient::UploadFraming framing = BrotherAPIClient::uploadFraming(fileName);
    // (Named: g++ 12 cannot take a braced list inside a co_await expression.)
    const double totalSeconds =
        BrotherAPIClient::totalSeconds(CertificateTrustSession::sizeOf(design), idleSeconds);
    CertificateTrustSession::Body body;
    body << framing.opening << std::move(design) << framing.closing;
    const CertificateTrustSession::Delivery delivery = co_await session->post(
        url, QByteArrayLiteral("multipart/form-data; boundary=") + framing.boundary,
        std::move(body), idleSeconds, totalSeconds, std::move(progress));
    const std::optional<CertificateTrustSession::Response>& response = delivery.response;
    if (delivery.bodyUnreadable)
        co_return BrotherAPIError::designUnreadable();
    if (!response) {
        co_return delivery.bodyTaken ? BrotherAPIError::noAnswer() : BrotherAPIError::unreachable();
    }
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

QCoro::Task<std::optional<BrotherAPIError>>
BrotherAPIClient::upload(QByteArray data, QByteArray fileName, qint64 maxBytes, double idleSeconds,
                         Progress progress) const {
    return uploadDesign(std::move(data), std::move(fileName), maxBytes, idleSeconds,
                        std::move(progress));
}

QCoro::Task<std::optional<BrotherAPIError>>
BrotherAPIClient::upload(CertificateTrustSession::StreamedPart design, QByteArray fileName,
                         qint64 maxBytes, double idleSeconds, Progress progress) const {
    return uploadDesign(std::move(design), std::move(fileName), maxBytes, idleSeconds,
                        std::move(progress));
}

QCoro::Task<std::optional<BrotherAPIError>>
BrotherAPIClient::uploadDesign(CertificateTrustSession::BodyPart data, QByteArray fileName,
                               qint64 maxBytes, double idleSeconds, Progress progress) const {
    std::optional<BrotherAPIError> early;
    const QUrl uploadURL = url(QStringLiteral("/sewing/sewing.cgi"));
    if (CertificateTrustSession::sizeOf(data) > maxBytes)
        early = BrotherAPIError::tooLarge(maxBytes);
    else if (!uploadURL.isValid())
        early = BrotherAPIError::unreachable();
    if (early)
        return [](BrotherAPIError error) -> QCoro::Task<std::optional<BrotherAPIError>> {
            co_return error;
        }(*early);
    return uploadTo(m_session, uploadURL, std::move(data), std::move(fileName), idleSeconds,
                    std::move(progress));
}

double BrotherAPIClient::totalSeconds(qint64 bytes, double idleSeconds) {
    constexpr double slowestBytesPerSecond = 8000;
    return idleSeconds + double(std::max<qint64>(bytes, 0)) / slowestBytesPerSecond;
}

BrotherAPIClient::UploadBody BrotherAPIClient::buildUploadBody(const QByteArray& data,
                                                               const QByteArray& fileName) {
    const UploadFraming framing = uploadFraming(fileName);
    return {framing.opening + data + framing.closing, framing.boundary};
}

BrotherAPIClient::UploadFraming BrotherAPIClient::uploadFraming(const QByteArray& fileName) {
    const QByteArray boundary = QByteArrayLiteral("Bobbinlark-") +
                                QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    QByteArray safeName = fileName;
    safeName.replace('\r', '_').replace('\n', '_');

    static constexpr char crlf[] = "\r\n";
    QByteArray opening;
    opening += "--" + boundary + crlf;
    opening += "Content-Disposition: form-data; name=\"req_parameter\"; filename=\"req_parameter\"";
    opening += crlf;
    opening += "Content-Type: application/x-www-form-urlencoded";
    opening += crlf;
    opening += crlf;
    opening += "req_sessionid=0&req_appid=23&req_appver=100&req_appstate=3";
    opening += crlf;
    opening += "--" + boundary + crlf;
    opening += "Content-Disposition: form-data; name=\"myfile\"; filename=\"" + safeName + '"';
    opening += crlf;
    opening += "Content-Type: application/octet-stream";
    opening += crlf;
    opening += crlf;
    const QByteArray closing = crlf + ("--" + boundary + "--") + crlf;
    return {opening, closing, boundary};
}
