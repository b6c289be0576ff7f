#pragma once

#include "Designs/StitchPreview.h"

#include <QCoroTask>
#include <QHash>
#include <QPromise>
#include <QString>
#include <QThreadPool>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>

// Decoded previews by file version, so the recent-sends list decodes each file once. The map
// lives on the GUI thread; the file's version (its modification time) is read on a thread of
// its own and decoding runs on a low-priority thread pool, both awaited, so the GUI thread never
// touches a file, not even to stat one on a mount that hangs. A file that failed to decode is
// remembered as such until it changes.
class PreviewCache {
public:
    using Decoder = std::function<std::optional<StitchPreview>(const QUrl&)>;
    // A file's modification time in ms since the epoch; absent when it has none.
    using Stamper = std::function<std::optional<qint64>(const QString& path)>;

    // The cache keeps at most this many entries plus the one being stored, and previews of at
    // most this many bytes together (StitchPreview::byteSize).
    static constexpr qsizetype limit = 200;
    static constexpr std::size_t maxTotalBytes = 32 * 1024 * 1024;

    // `decode` and `stamp` run on the cache's pools; tests pass counting or stalling ones.
    explicit PreviewCache(Decoder decode = &PreviewCache::decodeFile,
                          Stamper stamp = &PreviewCache::modificationTime);

    PreviewCache(const PreviewCache&) = delete;
    PreviewCache& operator=(const PreviewCache&) = delete;

    // The one instance of the program. Created on first use on the GUI thread and never
    // destroyed: a stat or read stuck on a dead mount must not hold up the program's exit.
    static PreviewCache& shared();

    // The preview of the file as it is now; absent when it has none. Call on the GUI thread.
    QCoro::Task<std::optional<StitchPreview>> preview(QUrl fileURL);

    qsizetype count() const { return m_previews.size(); }
    std::size_t bytes() const { return m_bytes; }

private:
    struct Key {
        QString path;
        std::optional<qint64> modified; // ms since the epoch
        friend bool operator==(const Key&, const Key&) = default;
        friend size_t qHash(const Key& key, size_t seed = 0) {
            return qHashMulti(seed, key.path, key.modified.value_or(-1), key.modified.has_value());
        }
    };

    // ".." and "." resolved lexically, as the user's path names the file.
    static QUrl standardized(const QUrl& fileURL);
    static QString pathOf(const QUrl& standardizedURL);
    static std::optional<qint64> modificationTime(const QString& path);
    static std::optional<StitchPreview> decodeFile(const QUrl& fileURL);

    Decoder m_decode;
    Stamper m_stamp;
    QThreadPool m_pool;
    // Stats are quick and come first: they do not queue behind decodes.
    QThreadPool m_statPool;
    QHash<Key, std::optional<StitchPreview>> m_previews;
    // Decodes started and not yet handed out, and the requests waiting their turn: a crafted
    // design's vectors are tens of MB, and a busy GUI thread must not let finished ones queue.
    static constexpr int maxDecoding = 1;
    int m_decoding = 0;
    std::deque<QPromise<void>> m_waiting;
    std::size_t m_bytes = 0; // of the previews in m_previews
};
