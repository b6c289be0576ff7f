#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <QCoroTask>

#include <functional>
#include <mutex>
#include <optional>

// The one HTTPS client for all machine traffic. It accepts whatever certificate a machine
// presents (trust on first use is built on top), remembers per host the leaf certificate of the
// latest connection, and reports its SHA-256 fingerprint.
//
// Every request goes out exactly once on a TLS connection of its own, which is closed as soon
// as the request has its answer, fails or runs out of time: nothing is sent again behind the
// caller's back (a machine may already have acted on a request whose connection then dropped),
// and a machine that never answers holds nothing of ours once the time-out has passed.
// Requests start and finish on the calling thread's event loop; fingerprints may be asked for
// from any thread.
class CertificateTrustSession : public QObject {
    Q_OBJECT

public:
    // What came back from a request that completed at the HTTP level.
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

    // How a POST ended: its answer, or none; and whether the machine had taken the whole body
    // by then (it may have acted on a request it never answered).
    struct Delivery {
        std::optional<Response> response;
        bool bodyTaken = false;
    };
    // Called as the machine takes the body: bytes taken so far, of `total`.
    using Progress = std::function<void(qint64 taken, qint64 total)>;

    // POST with the same trust handling. The body is the pieces one after another, sent as they
    // are (a large piece is never copied into one buffer with the rest). It fails once nothing
    // has moved for `idleSeconds` (no byte taken by the machine, none received), and in any case
    // after `totalSeconds`, so a slow link that keeps moving is never cut off. Only the answer's
    // status is read (the body stays empty); a connection that closes or resets before it fails
    // at once.
    QCoro::Task<Delivery> post(QUrl url, QByteArray contentType, QByteArrayList body,
                               double idleSeconds, double totalSeconds, Progress progress = {});

    // "%02X" pairs of the SHA-256 of the DER leaf certificate joined by ":", 95 characters.
    // Absent before any connection to the host. The host is matched in any letter case.
    std::optional<QString> certificateFingerprint(const QString& host) const;

    // The fingerprint of a certificate in its DER form.
    static QString fingerprintText(const QByteArray& certificateDer);

private:
    CertificateTrustSession();

    enum class Reading { statusLine, whole };

    struct Limits {
        double idleSeconds;
        double totalSeconds;
    };
    QCoro::Task<Delivery> exchange(QUrl url, QByteArray head, QByteArrayList body, Reading reading,
                                   Limits limits, Progress progress);
    void record(const QString& host, const QByteArray& leafDer);

    mutable std::mutex m_lock;
    QHash<QString, QByteArray> m_leafByHost; // DER, guarded by m_lock
};
