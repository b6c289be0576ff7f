#include "Views/PreviewCache.h"

#include <QCoroFuture>
#include <QDir>
#include <QFileInfo>
#include <QtConcurrent>

PreviewCache::PreviewCache(Decoder decode)
    : m_decode(std::move(decode)) {
    // Previews are a nicety: they must never compete with the user's foreground work.
    m_pool.setThreadPriority(QThread::LowPriority);
}

PreviewCache& PreviewCache::shared() {
    static PreviewCache cache;
    return cache;
}

QUrl PreviewCache::standardized(const QUrl& fileURL) {
    if (!fileURL.isLocalFile())
        return fileURL.adjusted(QUrl::NormalizePathSegments);
    return QUrl::fromLocalFile(QDir::cleanPath(fileURL.toLocalFile()));
}

PreviewCache::Key PreviewCache::keyFor(const QUrl& standardizedURL) {
    const QString path =
        standardizedURL.isLocalFile() ? standardizedURL.toLocalFile() : standardizedURL.path();
    const QDateTime modified = QFileInfo(path).lastModified();
    return Key{path,
               modified.isValid() ? std::optional(modified.toMSecsSinceEpoch()) : std::nullopt};
}

std::optional<StitchPreview> PreviewCache::decodeFile(const QUrl& fileURL) {
    return StitchPreview::read(fileURL);
}

QCoro::Task<std::optional<StitchPreview>> PreviewCache::preview(QUrl fileURL) {
    // The date, the key and the decode all name the one file the standardized path names, so
    // "a/./b" and "a/x/../b" can never be entries with different dates for one file.
    fileURL = standardized(fileURL);
    const Key key = keyFor(fileURL);
    if (const auto found = m_previews.constFind(key); found != m_previews.constEnd())
        co_return *found;

    // Other requests are served while this one waits; two requests for one new file may both
    // decode it, which costs time but never gives a wrong answer.
    std::optional<StitchPreview> decoded = co_await QtConcurrent::run(&m_pool, m_decode, fileURL);

    // Crude but bounded: past the limit, start afresh rather than keep usage bookkeeping.
    if (m_previews.size() > limit)
        m_previews.clear();
    m_previews.insert(key, decoded);
    co_return decoded;
}
