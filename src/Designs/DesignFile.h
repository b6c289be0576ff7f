#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <variant>

// The one way design files are read, by the send pipeline, the previews, the thumbnailer and the
// tools. Anyone can name any path with a design extension: a FIFO, a device, a link to
// /dev/zero, a sparse file of gigabytes. So only regular files are read, the size is checked
// before reading, and no read goes past the bound; a FIFO never blocks.
namespace DesignFile {

// Previews read at most this much. Machines take designs of a few megabytes (3 MB unless they
// say otherwise); four times more leaves room for any real design while keeping a preview's
// memory small.
inline constexpr qint64 previewLimit = 16'000'000;

// Sends read at most this much, whatever larger limit a machine reports: a design is a few
// megabytes, and a claim of exabytes must not make the program load whatever file it is given.
inline constexpr qint64 sendLimit = 64'000'000;

// What a design over sendLimit is told when the machine would take more: the bound that refused
// it is this program's, not the machine's.
QString overSendLimitMessage();

struct Unreadable {}; // missing, not a regular file, or a read that failed
struct TooLarge {
    qint64 size; // the size found, bigger than the bound
};
using Result = std::variant<QByteArray, TooLarge, Unreadable>;

// A regular file opened for reading and its size then; the caller closes `fd`.
struct Opened {
    int fd = -1;
    qint64 size = 0;
};
// Opens the file at `path` if it is a regular file of at most `maxBytes`; a FIFO never blocks.
std::variant<Opened, TooLarge, Unreadable> open(const QString& path, qint64 maxBytes);
// The whole of an opened file, as `read` below; closes it.
Result read(Opened file, qint64 maxBytes);

// The whole file, or why not. `maxBytes` bounds the read: a larger file (or one that grows
// past it while being read) is TooLarge, and nothing beyond maxBytes + 1 bytes is read.
Result read(const QString& path, qint64 maxBytes);
// The same for a local file URL; any other URL is Unreadable.
Result read(const QUrl& fileURL, qint64 maxBytes);

} // namespace DesignFile
