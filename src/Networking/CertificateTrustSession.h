#pragma once

#include <QByteArray>
#include <QHash>
#include <QNetworkRequest>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <QCoroTask>

#include <mutex>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// The one HTTPS client for all machine traffic. It accepts whatever certificate a machine
// presents (trust on first use is built on top), remembers per host the leaf certificate of the
// latest connection, and reports its SHA-256 fingerprint.
//
// Requests start and finish on the thread that owns the application object (Qt's network
// threads do the I/O); fingerprints may be asked for from any thread.
class CertificateTrustSession : public QObject {
    Q_OBJECT

public:
    // What came back from a request that completed at the HTTP level. `statusCode` is 0 when
    // the reply carried no HTTP status.
    struct Response {
        int statusCode = 0;
        QByteArray body;
    };

    // Replies we read are a few hundred bytes; a peer that sends more is not a machine, and
    // reading on would let it fill our memory.
    static constexpr qint64 maxReplyBytes = 1024 * 1024;

    // Created on first use, also when first used from several threads at once; never released.
    static CertificateTrustSession& shared();

    // GET with a total time-out. Absent when the request failed for any reason, including the
    // time-out and a reply body longer than maxReplyBytes.
    QCoro::Task<std::optional<Response>> data(QUrl url, double timeoutSeconds);

    // POST with the same trust handling, on a connection of its own that is closed as soon as
    // the answer's status line has arrived (the rest of the reply is never read). Sent exactly
    // once: a connection that closes or resets before the answer fails the request at once,
    // because the machine may already have acted on what it received. Absent when no answer
    // came.
    QCoro::Task<std::optional<Response>> post(QUrl url, QByteArray contentType, QByteArray body,
                                              double timeoutSeconds);

    // "%02X" pairs of the SHA-256 of the DER leaf certificate joined by ":", 95 characters.
    // Absent before any connection to the host. The host is matched in any letter case.
    std::optional<QString> certificateFingerprint(const QString& host) const;

    static QString fingerprintText(const QSslCertificate& certificate);

    // Drops idle kept-alive connections, so the next request to each host makes a new
    // handshake. For tests and benchmarks.
    void closeIdleConnections();

private:
    CertificateTrustSession();

    QNetworkRequest makeRequest(const QUrl& url) const;
    QCoro::Task<std::optional<Response>> perform(QNetworkReply* reply, double timeoutSeconds);
    void record(QNetworkReply* reply);
    void record(const QString& host, const QSslCertificate& leaf);

    QNetworkAccessManager* m_manager = nullptr;
    mutable std::mutex m_lock;
    QHash<QString, QSslCertificate> m_leafByHost; // guarded by m_lock
};
