#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Reads one HTTP/1.x answer as its bytes arrive on a connection that carries nothing else.
// Interim 1xx answers (all but "101 Switching Protocols") before the final one are skipped. The
// body is framed by its length, by chunks or by the end of the connection; it is not decoded any
// further.
class HttpAnswerReader {
public:
    // How much of the answer is wanted: its final status line alone, or all of it.
    enum class Extent { statusLine, whole };
    enum class State { reading, complete, failed };

    // An answer whose head (or a chunk-size line) is longer is not one a machine sends.
    static constexpr qsizetype maxHeadBytes = 64 * 1024;

    // A body longer than `maxBodyBytes` fails the answer.
    HttpAnswerReader(Extent extent, qsizetype maxBodyBytes);

    // The next bytes of the connection. Bytes after a complete answer are ignored.
    State feed(QByteArrayView bytes);
    // The connection has ended: completes an answer framed by its end, fails any other that is
    // not complete yet.
    State close();

    State state() const;
    // The final status; set once the status line has been read.
    std::optional<int> statusCode() const { return m_statusCode; }
    // The body read so far; the whole body once complete.
    const QByteArray& body() const { return m_body; }

private:
    enum class Phase {
        statusLine,
        interimHeaders,
        headers,
        lengthBody,
        chunkSize,
        chunkData,
        chunkEnd,
        trailers,
        untilClose,
        done,
        failed,
    };

    void process();
    std::optional<QByteArrayView> takeLine();
    bool readStatusLine(QByteArrayView line);
    bool readHeader(QByteArrayView line);
    void startBody();
    bool takeBody(qsizetype wanted);

    Extent m_extent;
    qsizetype m_maxBodyBytes;
    Phase m_phase = Phase::statusLine;
    QByteArray m_pending; // received, not yet consumed from m_at on
    qsizetype m_at = 0;
    qsizetype m_headBytes = 0;
    std::optional<int> m_statusCode;
    std::optional<qsizetype> m_contentLength;
    bool m_chunked = false;
    qsizetype m_remaining = 0; // of the body or of the current chunk
    QByteArray m_body;
};
