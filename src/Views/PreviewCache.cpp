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

PreviewCache::Key PreviewCache::keyFor(const QUrl& fileURL) {
    const QString path = fileURL.isLocalFile() ? fileURL.toLocalFile() : fileURL.path();
    const QDateTime modified = QFileInfo(path).lastModified();
    return Key{QDir::cleanPath(path),
               modified.isValid() ? std::optional(modified.toMSecsSinceEpoch()) : std::nullopt};
}

std::optional<StitchPreview> PreviewCache::decodeFile(const QUrl& fileURL) {
    return StitchPreview::read(fileURL);
}

QCoro::Task<std::optional<StitchPreview>> PreviewCache::preview(QUrl fileURL) {
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
