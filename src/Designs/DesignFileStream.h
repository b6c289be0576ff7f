#pragma once

#include "Designs/DesignFile.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

// A design file read a piece at a time as it is sent, so a large design is never held whole in
// memory. It gives exactly the bytes the file had when it was opened: a file that has since
// grown gives no more, and one that lost some gives nothing, so a send fails rather than go out
// short. Opened with the checks of DesignFile::read.
class DesignFileStream {
public:
    static std::variant<DesignFileStream, DesignFile::TooLarge, DesignFile::Unreadable>
    open(const QString& path, qint64 maxBytes);

    DesignFileStream(DesignFileStream&& other) noexcept;
    DesignFileStream& operator=(DesignFileStream&& other) noexcept;
    DesignFileStream(const DesignFileStream&) = delete;
    DesignFileStream& operator=(const DesignFileStream&) = delete;
    ~DesignFileStream();

    qint64 size() const { return m_size; }

    // The next bytes, `most` of them or those left if fewer; empty once all are given; nothing
    // when the file cannot give them.
    std::optional<QByteArray> next(qint64 most);

private:
    explicit DesignFileStream(DesignFile::Opened opened);

    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_given = 0;
    QByteArray m_held; // the bytes of a file that reported no size, read at once
};
