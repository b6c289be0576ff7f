#include "Networking/CertificateTrustSession.h"

#include "Models/SavedMachine.h"
#include "Networking/HttpAnswerReader.h"
#include "Networking/TlsConnection.h"

#include <QCoreApplication>
#include <QCoroSignal>
#include <QCryptographicHash>
#include <QFuture>
#include <QFutureWatcher>
#include <QPromise>
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

// How often a request's progress is read off its socket while the body goes out.
constexpr int progressIntervalMs = 100;

qint64 lengthOf(const CertificateTrustSession::Body& body) {
    qint64 length = 0;
    for (const auto& part : body)
        length += CertificateTrustSession::sizeOf(part);
    return length;
}

// The outcome of one exchange, and the coroutine waiting for it.
struct Outcome {
    bool done = false;
    CertificateTrustSession::Delivery delivery;
    std::coroutine_handle<> waiter;

    void finish(std::optional<CertificateTrustSession::Response> result, bool bodyTaken) {
        end({std::move(result), bodyTaken});
    }
    void end(CertificateTrustSession::Delivery ending) {
        if (done)
            return;
        done = true;
        delivery = std::move(ending);
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
    CertificateTrustSession::Delivery await_resume() { return std::move(outcome.delivery); }
};

} // namespace

qint64 CertificateTrustSession::sizeOf(const BodyPart& part) {
    if (const auto* bytes = std::get_if<QByteArray>(&part))
        return bytes->size();
    return std::get<StreamedPart>(part).size;
}

CertificateTrustSession& CertificateTrustSession::shared() {
    // Function-local statics are initialised exactly once, also under concurrent first calls;
    // the object is intentionally leaked so no request can outlive its client.
    static CertificateTrustSession* const instance = new CertificateTrustSession;
    return *instance;
}

CertificateTrustSession::CertificateTrustSession()
    : m_machineThread(new QThread)
    , m_machineThreadContext(new QObject) {
    // Whoever asks first, the client lives on the application's thread with the rest of the
    // program's state.
    if (QCoreApplication* application = QCoreApplication::instance();
        application && thread() != application->thread())
        moveToThread(application->thread());
    // TLS handshakes and machine I/O run on a thread of their own: a scan makes hundreds of
    // handshakes, which would otherwise stall whichever thread asked (the panel's, mostly).
    m_machineThread->setObjectName(QStringLiteral("Machine connections"));
    m_machineThreadContext->moveToThread(m_machineThread);
    m_machineThread->start();
}

QCoro::Task<std::optional<CertificateTrustSession::Response>>
CertificateTrustSession::data(QUrl url, double timeoutSeconds) {
    if (!url.isValid())
        co_return std::nullopt;
    // Replies are small: one deadline for the whole request.
    Delivery delivery = co_await exchange(url, requestHead("GET", url, {}), {}, Reading::whole,
                                          {timeoutSeconds, timeoutSeconds}, {});
    co_return std::move(delivery.response);
}

QCoro::Task<CertificateTrustSession::Delivery>
CertificateTrustSession::post(QUrl url, QByteArray contentType, Body body, double idleSeconds,
                              double totalSeconds, Progress progress) {
    if (!url.isValid())
        co_return Delivery{};
    const qint64 length = lengthOf(body);
    QByteArray head = requestHead("POST", url,
                                  "Content-Type: " + contentType +
                                      "\r\nContent-Length: " + QByteArray::number(length) + "\r\n");
    co_return co_await exchange(url, std::move(head), std::move(body), Reading::statusLine,
                                {idleSeconds, totalSeconds}, std::move(progress));
}

QCoro::Task<CertificateTrustSession::Delivery>
CertificateTrustSession::exchange(QUrl url, QByteArray head, Body body, Reading reading,
                                  Limits limits, Progress progress) {
    // The connection runs on the machine thread; this side waits for its outcome on its own
    // event loop and reads its progress from there, so every callback stays on this thread.
    const auto taken = std::make_shared<std::atomic<qint64>>(-1);
    const qint64 bodyLength = lengthOf(body);
    auto promise = std::make_shared<QPromise<Delivery>>();
    QFuture<Delivery> outcome = promise->future();
    promise->start();
    QMetaObject::invokeMethod(
        m_machineThreadContext,
        [this, url, head = std::move(head), body = std::move(body), reading, limits, taken,
         promise]() mutable {
            exchangeHere(std::move(url), std::move(head), std::move(body), reading, limits, taken,
                         std::move(promise));
        },
        Qt::QueuedConnection);

    qint64 reported = -1;
    const auto report = [&] {
        const qint64 now = taken->load();
        if (progress && now > reported) {
            reported = now;
            progress(now, bodyLength);
        }
    };
    QTimer progressCheck;
    if (progress && bodyLength > 0) {
        connect(&progressCheck, &QTimer::timeout, &progressCheck, report);
        progressCheck.start(progressIntervalMs);
    }
    // Through a watcher, whose signal always comes from the event loop: a request that ends at
    // once (nothing listening) still ends after its caller has returned, as it always did.
    QFutureWatcher<Delivery> watcher;
    watcher.setFuture(outcome);
    co_await qCoro(&watcher, &QFutureWatcher<Delivery>::finished);
    report();
    co_return outcome.result();
}

QCoro::Task<>
CertificateTrustSession::exchangeHere(QUrl url, QByteArray head, Body body, Reading reading,
                                      Limits limits,
                                      std::shared_ptr<std::atomic<qint64>> progressTaken,
                                      std::shared_ptr<QPromise<Delivery>> promise) {
    const QString host = url.host();
    const auto port = static_cast<quint16>(url.port(443));
    std::optional<QString> fingerprint;
    Outcome outcome;
    const qint64 bodyLength = lengthOf(body);
    const qint64 headLength = head.size();
    HttpAnswerReader answer(reading == Reading::whole ? HttpAnswerReader::Extent::whole
                                                      : HttpAnswerReader::Extent::statusLine,
                            maxReplyBytes);
    // Both end with this frame, and with them the signal handlers that reach its locals. The
    // connection is closed here at once, answered or not.
    const auto connection = std::make_unique<TlsConnection>();
    QTimer idle;
    QTimer total;
    QTimer progressCheck;
    qint64 bodyTaken = -1;
    // Reads how much of the body the machine has taken; any advance counts as activity.
    const auto checkProgress = [&] {
        const qint64 taken =
            std::clamp(connection->acknowledgedBytes() - headLength, qint64(0), bodyLength);
        if (taken <= bodyTaken)
            return;
        bodyTaken = taken;
        idle.start();
        progressTaken->store(taken);
    };
    const auto wholeBodyTaken = [&] {
        checkProgress();
        return bodyTaken == bodyLength;
    };
    const auto settle = [&] {
        if (answer.state() == HttpAnswerReader::State::reading)
            return;
        if (answer.state() == HttpAnswerReader::State::failed)
            outcome.finish(std::nullopt, wholeBodyTaken());
        else
            outcome.finish(Response{answer.statusCode().value_or(0), answer.body(), fingerprint},
                           wholeBodyTaken());
    };
    connect(connection.get(), &TlsConnection::encrypted, connection.get(), [&] {
        const QByteArray leaf = connection->peerCertificate();
        record(host, port, leaf);
        if (!leaf.isEmpty())
            fingerprint = fingerprintText(leaf);
        idle.start();
        connection->write(head);
    });
    // The body goes a part, or for a streamed part a piece, at a time as the socket takes it.
    qsizetype part = 0;
    qint64 streamedLeft = -1; // of the streamed part under way; -1 before it starts
    connect(connection.get(), &TlsConnection::wantsMore, connection.get(), [&] {
        if (outcome.done || part == body.size())
            return;
        if (const auto* bytes = std::get_if<QByteArray>(&body[part])) {
            connection->write(*bytes);
            ++part;
            return;
        }
        const StreamedPart& streamed = std::get<StreamedPart>(body[part]);
        if (streamedLeft < 0)
            streamedLeft = streamed.size;
        constexpr qint64 pieceBytes = 256 * 1024;
        const std::optional<QByteArray> piece =
            streamedLeft > 0 ? streamed.next(std::min(streamedLeft, pieceBytes)) : QByteArray();
        if (!piece || (piece->isEmpty() && streamedLeft > 0) || piece->size() > streamedLeft) {
            outcome.end(Delivery{std::nullopt, false, true});
            return;
        }
        connection->write(*piece);
        streamedLeft -= piece->size();
        if (streamedLeft == 0) {
            ++part;
            streamedLeft = -1;
        }
    });
    connect(connection.get(), &TlsConnection::received, connection.get(),
            [&](const QByteArray& bytes) {
                idle.start();
                answer.feed(bytes);
                settle();
            });
    // A closed, reset or failed connection ends the request at once. What arrived before it
    // still counts, and an answer framed by the end of the connection is complete.
    connect(connection.get(), &TlsConnection::ended, connection.get(), [&] {
        answer.close();
        settle();
    });
    idle.setSingleShot(true);
    total.setSingleShot(true);
    connect(&idle, &QTimer::timeout, connection.get(),
            [&] { outcome.finish(std::nullopt, wholeBodyTaken()); });
    connect(&total, &QTimer::timeout, connection.get(),
            [&] { outcome.finish(std::nullopt, wholeBodyTaken()); });
    idle.start(totalTimeoutMilliseconds(std::min(limits.idleSeconds, limits.totalSeconds)));
    total.start(totalTimeoutMilliseconds(limits.totalSeconds));
    if (bodyLength > 0) {
        connect(&progressCheck, &QTimer::timeout, connection.get(), checkProgress);
        progressCheck.start(progressIntervalMs);
    }

    connection->connectToHost(host, port);
    OutcomeArrived arrived{outcome}; // named: g++ 12 may destroy a co_await temporary twice
    Delivery delivery = co_await arrived;
    promise->addResult(std::move(delivery));
    promise->finish();
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
