#include "Designs/DesignFile.h"

#include "Support/ByteCountFormat.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace DesignFile {

namespace {

// Closes the descriptor whatever way the read ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

QString overSendLimitMessage() {
    return QCoreApplication::translate(
               "DesignFile",
               "This design is too large to send. Bobbinlark sends designs of up to %1.")
        .arg(ByteCountFormat::fileSize(sendLimit));
}

std::variant<Opened, TooLarge, Unreadable> open(const QString& path, qint64 maxBytes) {
    if (path.isEmpty() || maxBytes < 0)
        return Unreadable{};
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever. It
    // changes nothing for regular files, the only kind read.
    Descriptor file{
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return Unreadable{};
    // The descriptor's own status: a path swapped between a check and the open cannot fool it.
    struct stat status {};
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return Unreadable{};
    if (status.st_size > maxBytes)
        return TooLarge{static_cast<qint64>(status.st_size)};
    return Opened{std::exchange(file.fd, -1), static_cast<qint64>(status.st_size)};
}

Result read(const QString& path, qint64 maxBytes) {
    const auto opened = open(path, maxBytes);
    if (const auto* tooLarge = std::get_if<TooLarge>(&opened))
        return *tooLarge;
    if (!std::holds_alternative<Opened>(opened))
        return Unreadable{};
    return read(std::get<Opened>(opened), maxBytes);
}

Result read(Opened opened, qint64 maxBytes) {
    const Descriptor file{opened.fd};
    const qint64 size = opened.size;

    // One byte more than allowed tells a file that grew since the size was taken.
    const qint64 capacity = maxBytes + 1;
    QByteArray data;
    try {
        data.resize(std::min<qint64>(capacity, size + 1));
    } catch (const std::bad_alloc&) {
        return Unreadable{};
    }
    qint64 filled = 0;
    for (;;) {
        if (filled == data.size()) {
            if (filled == capacity)
                break;
            // Grown since the size was taken: read on in steps, never past the bound.
            try {
                data.resize(std::min<qint64>(capacity, filled * 2 + 4096));
            } catch (const std::bad_alloc&) {
                return Unreadable{};
            }
        }
        const ssize_t got =
            ::read(file.fd, data.data() + filled, static_cast<size_t>(data.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Unreadable{};
        }
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > maxBytes)
        return TooLarge{filled};
    data.truncate(filled);
    return data;
}

Result read(const QUrl& fileURL, qint64 maxBytes) {
    if (!fileURL.isLocalFile())
        return Unreadable{};
    return read(fileURL.toLocalFile(), maxBytes);
}

} // namespace DesignFile
