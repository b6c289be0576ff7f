#pragma once

#include "Networking/BrotherAPIError.h"
#include "Networking/CertificateTrustSession.h"
#include "Networking/MachineInfo.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <QCoroTask>

#include <functional>
#include <optional>

// Speaks HTTPS to one machine at one host and port. Cheap to make and drop: operations copy
// what they need, so a client may go away while its requests are still in flight.
class BrotherAPIClient {
public:
    static constexpr double uploadTimeoutSeconds = 30.0;
    static constexpr qint64 defaultMaxUploadBytes = 3'000'000;

    struct UploadBody {
        QByteArray body;
        QByteArray boundary;
    };

    BrotherAPIClient(QString host, qint64 port, CertificateTrustSession& session);

    QString host() const { return m_host; }
    qint64 port() const { return m_port; }

    // "https://" + host + ":" + port + path, the port always written. Invalid when the host does
    // not make a URL naming exactly that host and port.
    QUrl url(const QString& path) const;

    // What the machine says it is; absent on any failure.
    QCoro::Task<std::optional<MachineInfo>> fetchInfo(double timeoutSeconds) const;

    // Called as the machine takes the design: bytes taken so far, of the whole request body.
    using Progress = std::function<void(qint64 taken, qint64 total)>;

    // Places one design in the machine's wireless pocket. Absent on success. `fileName` is the
    // name's bytes as the file system holds them. The upload fails once nothing has moved for
    // `idleSeconds`; while the machine keeps taking bytes it runs on, up to `totalSeconds(...)`.
    QCoro::Task<std::optional<BrotherAPIError>> upload(QByteArray data, QByteArray fileName,
                                                       qint64 maxBytes,
                                                       double idleSeconds = uploadTimeoutSeconds,
                                                       Progress progress = {}) const;

    // The same for a design streamed from its file as the machine takes it, so it is never
    // held whole in memory: the command line's one upload.
    QCoro::Task<std::optional<BrotherAPIError>> upload(CertificateTrustSession::StreamedPart design,
                                                       QByteArray fileName, qint64 maxBytes,
                                                       double idleSeconds = uploadTimeoutSeconds,
                                                       Progress progress = {}) const;

    // The outer bound of an upload of `bytes`: the idle time-out, plus the time a link that
    // moves only 8 KB/s takes for them (a 3 MB design at 16 KB/s finishes well inside it).
    static double totalSeconds(qint64 bytes, double idleSeconds);

    // The multipart form the machine's sewing endpoint expects, with a fresh random boundary.
    // CR and LF in the name become "_" so a name cannot split the part's header lines.
    static UploadBody buildUploadBody(const QByteArray& data, const QByteArray& fileName);

    // The same form as what comes before the design and what comes after it, so that an upload
    // sends the design's own bytes without copying them into one body.
    struct UploadFraming {
        QByteArray opening;
        QByteArray closing;
        QByteArray boundary;
    };
    static UploadFraming uploadFraming(const QByteArray& fileName);

private:
    QCoro::Task<std::optional<BrotherAPIError>> uploadDesign(CertificateTrustSession::BodyPart data,
                                                             QByteArray fileName, qint64 maxBytes,
                                                             double idleSeconds,
                                                             Progress progress) const;

    QString m_host;
    qint64 m_port;
    CertificateTrustSession* m_session;
};
