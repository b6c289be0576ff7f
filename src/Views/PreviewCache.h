#pragma once

#include "Support/StitchPreview.h"

#include <QCoroTask>
#include <QHash>
#include <QString>
#include <QThreadPool>
#include <QUrl>

#include <functional>
#include <optional>

// Decoded previews by file version, so the recent-sends list decodes each file once. The map
// lives on the GUI thread; decoding runs on a low-priority thread pool and is awaited, so the
// GUI thread never touches a file. A file that failed to decode is remembered as such until it
// changes.
class PreviewCache {
public:
    using Decoder = std::function<std::optional<StitchPreview>(const QUrl&)>;

    // The cache keeps at most this many entries plus the one being stored.
    static constexpr qsizetype limit = 200;

    // `decode` runs on the cache's pool; tests pass a counting one.
    explicit PreviewCache(Decoder decode = &PreviewCache::decodeFile);

    PreviewCache(const PreviewCache&) = delete;
    PreviewCache& operator=(const PreviewCache&) = delete;

    // The one instance of the program. Created on first use on the GUI thread.
    static PreviewCache& shared();

    // The preview of the file as it is now; absent when it has none. Call on the GUI thread.
    QCoro::Task<std::optional<StitchPreview>> preview(QUrl fileURL);

    qsizetype count() const { return m_previews.size(); }

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
    static Key keyFor(const QUrl& standardizedURL);
    static std::optional<StitchPreview> decodeFile(const QUrl& fileURL);

    Decoder m_decode;
    QThreadPool m_pool;
    QHash<Key, std::optional<StitchPreview>> m_previews;
};
