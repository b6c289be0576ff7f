#include "Designs/DesignFileStream.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <utility>

std::variant<DesignFileStream, DesignFile::TooLarge, DesignFile::Unreadable>
DesignFileStream::open(const QString& path, qint64 maxBytes) {
    auto opened = DesignFile::open(path, maxBytes);
    if (const auto* tooLarge = std::get_if<DesignFile::TooLarge>(&opened))
        return *tooLarge;
    const auto* file = std::get_if<DesignFile::Opened>(&opened);
    if (!file)
        return DesignFile::Unreadable{};
    if (file->size > 0)
        return DesignFileStream(*file);
    // A file that reports no size may still hold bytes (those of /proc do): read at once, bounded.
    auto whole = DesignFile::read(*file, maxBytes);
    if (auto* bytes = std::get_if<QByteArray>(&whole)) {
        DesignFileStream held(DesignFile::Opened{-1, bytes->size()});
        held.m_held = std::move(*bytes);
        return held;
    }
    if (const auto* tooLarge = std::get_if<DesignFile::TooLarge>(&whole))
        return *tooLarge;
    return DesignFile::Unreadable{};
}

DesignFileStream::DesignFileStream(DesignFile::Opened opened)
    : m_fd(opened.fd)
    , m_size(opened.size) {}

DesignFileStream::DesignFileStream(DesignFileStream&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
    , m_given(other.m_given)
    , m_held(std::move(other.m_held)) {}

DesignFileStream& DesignFileStream::operator=(DesignFileStream&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
        m_given = other.m_given;
        m_held = std::move(other.m_held);
    }
    return *this;
}

DesignFileStream::~DesignFileStream() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<QByteArray> DesignFileStream::next(qint64 most) {
    if (most < 0)
        return std::nullopt;
    if (m_fd < 0) {
        const QByteArray piece = m_held.mid(m_given, most);
        m_given += piece.size();
        return piece;
    }
    QByteArray piece(std::min(most, m_size - m_given), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < piece.size()) {
        const ssize_t got =
            ::read(m_fd, piece.data() + filled, static_cast<size_t>(piece.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt; // a failed read, or a file shorter than it was
        filled += got;
    }
    m_given += filled;
    return piece;
}
