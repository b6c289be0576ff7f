#include "Designs/PreviewCache.h"
#include "Designs/PreviewReader.h"

#include <QCoroFuture>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtConcurrent>

PreviewCache::PreviewCache(Decoder decode, Stamper stamp)
    : m_decode(std::move(decode))
    , m_stamp(std::move(stamp)) {
    // Previews are a nicety: they must never compete with the user's foreground work.
    m_pool.setThreadPriority(QThread::LowPriority);
    // A decode of a crafted design holds tens of MB while it runs: one at a time bounds the
    // panel's memory whatever the number of cores.
    m_pool.setMaxThreadCount(maxDecoding);
    m_statPool.setMaxThreadCount(4);
}

PreviewCache& PreviewCache::shared() {
    static PreviewCache* const cache = new PreviewCache;
    return *cache;
}

QUrl PreviewCache::standardized(const QUrl& fileURL) {
    if (!fileURL.isLocalFile())
        return fileURL.adjusted(QUrl::NormalizePathSegments);
    return QUrl::fromLocalFile(QDir::cleanPath(fileURL.toLocalFile()));
}

QString PreviewCache::pathOf(const QUrl& standardizedURL) {
    return standardizedURL.isLocalFile() ? standardizedURL.toLocalFile() : standardizedURL.path();
}

std::optional<qint64> PreviewCache::modificationTime(const QString& path) {
    const QDateTime modified = QFileInfo(path).lastModified();
    return modified.isValid() ? std::optional(modified.toMSecsSinceEpoch()) : std::nullopt;
}

std::optional<StitchPreview> PreviewCache::decodeFile(const QUrl& fileURL) {
    return PreviewReader::read(fileURL);
}

QCoro::Task<std::optional<StitchPreview>> PreviewCache::preview(QUrl fileURL) {
    // The date, the key and the decode all name the one file the standardized path names, so
    // "a/./b" and "a/x/../b" can never be entries with different dates for one file.
    fileURL = standardized(fileURL);
    const QString path = pathOf(fileURL);
    // (Named: g++ 12 destroys temporaries of a co_await expression twice.)
    QFuture<std::optional<qint64>> stamping = QtConcurrent::run(&m_statPool, m_stamp, path);
    const std::optional<qint64> modified = co_await stamping;
    const Key key{path, modified};
    if (const auto found = m_previews.constFind(key); found != m_previews.constEnd())
        co_return *found;

    // Other requests are served while this one waits; two requests for one new file may both
    // decode it, which costs time but never gives a wrong answer.
    while (m_decoding >= maxDecoding) {
        m_waiting.emplace_back();
        m_waiting.back().start();
        QFuture<void> turn = m_waiting.back().future();
        co_await turn;
    }
    ++m_decoding;
    // Once this request has handed its preview out (its caller draws it at once), the next
    // waiting one may start.
    const auto handedOut = qScopeGuard([this] {
        --m_decoding;
        if (!m_waiting.empty()) {
            QPromise<void> next = std::move(m_waiting.front());
            m_waiting.pop_front();
            next.finish();
        }
    });
    QFuture<std::optional<StitchPreview>> decoding = QtConcurrent::run(&m_pool, m_decode, fileURL);
    // Awaited without its result, which is then taken rather than copied: a crafted design's
    // vectors are tens of MB.
    QFuture<void> finished(decoding);
    co_await finished;
    std::optional<StitchPreview> decoded = decoding.takeResult();

    // Crude but bounded: past either limit, start afresh rather than keep usage bookkeeping.
    const auto sizeOf = [](const std::optional<StitchPreview>& preview) {
        return preview ? preview->byteSize() : sizeof(preview);
    };
    if (const auto earlier = m_previews.constFind(key); earlier != m_previews.constEnd())
        m_bytes -= sizeOf(*earlier); // decoded twice meanwhile
    // A preview larger than the whole budget (a crafted design of countless runs) is handed
    // out but not kept: keeping it would hold its vectors long after its cards are drawn.
    if (sizeOf(decoded) > maxTotalBytes) {
        if (const auto earlier = m_previews.constFind(key); earlier != m_previews.constEnd())
            m_previews.erase(earlier);
        co_return decoded;
    }
    if (m_previews.size() > limit || m_bytes + sizeOf(decoded) > maxTotalBytes) {
        m_previews.clear();
        m_bytes = 0;
    }
    m_bytes += sizeOf(decoded);
    m_previews.insert(key, decoded);
    co_return decoded;
}
