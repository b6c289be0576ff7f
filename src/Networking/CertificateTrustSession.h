#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPromise>
#include <QString>
#include <QThread>
#include <QUrl>

#include <QCoroTask>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>

// The one HTTPS client for all machine traffic. It accepts whatever certificate a machine
// presents (trust on first use is built on top), remembers per host and port the leaf
// certificate of the latest connection, and reports its SHA-256 fingerprint. Two machines may
// share an address on different ports, so a port never answers for another.
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
        // Of the certificate this very answer came over: requests to one machine running at
        // once cannot swap each other's.
        std::optional<QString> certificateFingerprint;
    };

    // Replies we read are a few hundred bytes; a peer that sends more is not a machine, and
    // reading on would let it fill our memory.
    static constexpr qint64 maxReplyBytes = 1024 * 1024;

    // Created on first use, also when first used from several threads at once; never released.
    static CertificateTrustSession& shared();

    // GET with a total time-out. Absent when the request failed for any reason, including the
    // time-out and a reply body longer than maxReplyBytes.
    QCoro::Task<std::optional<Response>> data(QUrl url, double timeoutSeconds);

    // A part of a body made as the connection takes it: `size` bytes, handed over by `next`
    // calls, each asked for at most so many. A call that gives nothing (or none while bytes are
    // still due) fails the request before its body is complete, so the machine never takes a
    // short one. Called on the connection's thread.
    struct StreamedPart {
        qint64 size = 0;
        std::function<std::optional<QByteArray>(qint64 most)> next;
    };
    using BodyPart = std::variant<QByteArray, StreamedPart>;
    using Body = QList<BodyPart>;
    static qint64 sizeOf(const BodyPart& part);

    // How a POST ended: its answer, or none; whether the machine had taken the whole body by
    // then (it may have acted on a request it never answered); and whether a streamed part
    // failed to give its bytes.
    struct Delivery {
        std::optional<Response> response;
        bool bodyTaken = false;
        bool bodyUnreadable = false;
    };
    // Called as the machine takes the body: bytes taken so far, of `total`.
    using Progress = std::function<void(qint64 taken, qint64 total)>;

    // POST with the same trust handling. The body is the parts one after another, sent as they
    // are (a large piece is never copied into one buffer with the rest). It fails once nothing
    // has moved for `idleSeconds` (no byte taken by the machine, none received), and in any case
    // after `totalSeconds`, so a slow link that keeps moving is never cut off. Only the answer's
    // status is read (the body stays empty); a connection that closes or resets before it fails
    // at once.
    QCoro::Task<Delivery> post(QUrl url, QByteArray contentType, Body body, double idleSeconds,
                               double totalSeconds, Progress progress = {});

    // "%02X" pairs of the SHA-256 of the DER leaf certificate joined by ":", 95 characters.
    // Absent before any connection to that host and port. The host is matched in any letter
    // case.
    std::optional<QString> certificateFingerprint(const QString& host, quint16 port) const;

    // The fingerprint of a certificate in its DER form.
    static QString fingerprintText(const QByteArray& certificateDer);

private:
    CertificateTrustSession();

    enum class Reading { statusLine, whole };

    struct Limits {
        double idleSeconds;
        double totalSeconds;
    };
    // Runs the request on the machine thread and waits for it on the calling thread.
    QCoro::Task<Delivery> exchange(QUrl url, QByteArray head, Body body, Reading reading,
                                   Limits limits, Progress progress);
    // The request itself, on the machine thread: `taken` follows the body's progress, and
    // `outcome` receives the delivery.
    QCoro::Task<> exchangeHere(QUrl url, QByteArray head, Body body, Reading reading, Limits limits,
                               std::shared_ptr<std::atomic<qint64>> taken,
                               std::shared_ptr<QPromise<Delivery>> outcome);
    void record(const QString& host, quint16 port, const QByteArray& leafDer);

    // Never stopped or freed, like the session itself: a request may be under way at exit.
    QThread* m_machineThread;
    QObject* m_machineThreadContext;
    mutable std::mutex m_lock;
    QHash<QString, QByteArray> m_leafByEndpoint; // "host port" to DER, guarded by m_lock
};
