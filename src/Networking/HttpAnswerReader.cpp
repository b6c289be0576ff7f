#include "Networking/HttpAnswerReader.h"

#include <algorithm>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

// Decimal or hexadecimal digits only, below `limit`; absent otherwise.
std::optional<qsizetype> number(QByteArrayView text, int base, qsizetype limit) {
    if (text.isEmpty())
        return std::nullopt;
    qsizetype value = 0;
    for (const char c : text) {
        int digit = -1;
        if (isDigit(c))
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

bool equalsIgnoringCase(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() &&
           QByteArray(a.data(), a.size()).compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

HttpAnswerReader::HttpAnswerReader(Extent extent, qsizetype maxBodyBytes)
    : m_extent(extent)
    , m_maxBodyBytes(std::max<qsizetype>(maxBodyBytes, 0)) {}

HttpAnswerReader::State HttpAnswerReader::state() const {
    switch (m_phase) {
    case Phase::done:
        return State::complete;
    case Phase::failed:
        return State::failed;
    default:
        return State::reading;
    }
}

HttpAnswerReader::State HttpAnswerReader::feed(QByteArrayView bytes) {
    if (state() != State::reading || bytes.isEmpty())
        return state();
    if (m_at > 0 && m_at >= m_pending.size() / 2) { // drop what was consumed now and then
        m_pending.remove(0, m_at);
        m_at = 0;
    }
    m_pending.append(bytes);
    process();
    return state();
}

HttpAnswerReader::State HttpAnswerReader::close() {
    if (m_phase == Phase::untilClose)
        m_phase = Phase::done;
    else if (m_phase != Phase::done)
        m_phase = Phase::failed;
    return state();
}

std::optional<QByteArrayView> HttpAnswerReader::takeLine() {
    const qsizetype end = m_pending.indexOf('\n', m_at);
    const qsizetype length = (end < 0 ? m_pending.size() : end + 1) - m_at;
    if (m_headBytes + length > maxHeadBytes) {
        m_phase = Phase::failed;
        return std::nullopt;
    }
    if (end < 0)
        return std::nullopt;
    QByteArrayView line(m_pending.constData() + m_at, end - m_at);
    m_at = end + 1;
    m_headBytes += length;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

void HttpAnswerReader::process() {
    while (m_phase != Phase::done && m_phase != Phase::failed) {
        switch (m_phase) {
        case Phase::lengthBody:
        case Phase::chunkData:
        case Phase::untilClose:
            if (!takeBody(m_phase == Phase::untilClose ? m_pending.size() - m_at : m_remaining))
                return;
            if (m_phase == Phase::untilClose)
                return;
            m_phase = m_phase == Phase::lengthBody ? Phase::done : Phase::chunkEnd;
            continue;
        default:
            break;
        }
        const std::optional<QByteArrayView> line = takeLine();
        if (!line)
            return;
        switch (m_phase) {
        case Phase::statusLine:
            if (!readStatusLine(*line))
                m_phase = Phase::failed;
            break;
        case Phase::interimHeaders:
            if (line->isEmpty())
                m_phase = Phase::statusLine;
            break;
        case Phase::headers:
            if (line->isEmpty())
                startBody();
            else if (!readHeader(*line))
                m_phase = Phase::failed;
            break;
        case Phase::chunkSize: {
            const qsizetype extension = line->indexOf(';');
            const auto size = number(trimmed(extension < 0 ? *line : line->first(extension)), 16,
                                     m_maxBodyBytes - m_body.size());
            if (!size)
                m_phase = Phase::failed;
            else if (*size == 0)
                m_phase = Phase::trailers;
            else {
                m_remaining = *size;
                m_phase = Phase::chunkData;
            }
            break;
        }
        case Phase::chunkEnd:
            m_phase = line->isEmpty() ? Phase::chunkSize : Phase::failed;
            break;
        case Phase::trailers:
            if (line->isEmpty())
                m_phase = Phase::done;
            break;
        default:
            m_phase = Phase::failed;
            break;
        }
    }
}

// "HTTP/1.x NNN" followed by a space or the end of the line; the reason phrase is not read.
bool HttpAnswerReader::readStatusLine(QByteArrayView line) {
    if (line.size() < 12 || !line.startsWith("HTTP/1.") || !isDigit(line[7]) || line[8] != ' ')
        return false;
    if (!isDigit(line[9]) || !isDigit(line[10]) || !isDigit(line[11]))
        return false;
    if (line.size() > 12 && line[12] != ' ')
        return false;
    const int code = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    // Every 1xx but 101 is interim (100 Continue, 102 Processing, 103 Early Hints, and any a
    // server invents): the final answer follows it. 101 ends HTTP on the connection, so it is
    // the last answer there is.
    if (code >= 100 && code <= 199 && code != 101) {
        m_phase = Phase::interimHeaders;
        return true;
    }
    m_statusCode = code;
    m_phase = m_extent == Extent::statusLine ? Phase::done : Phase::headers;
    return true;
}

bool HttpAnswerReader::readHeader(QByteArrayView line) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return true; // not a field we read
    const QByteArrayView name = line.first(colon);
    const QByteArrayView value = trimmed(line.sliced(colon + 1));
    if (equalsIgnoringCase(name, "Content-Length")) {
        const auto length = number(value, 10, m_maxBodyBytes);
        // Too long, not a number, or two lengths that disagree: the body cannot be framed.
        if (!length || (m_contentLength && *m_contentLength != *length))
            return false;
        m_contentLength = length;
    } else if (equalsIgnoringCase(name, "Transfer-Encoding")) {
        // Only plain chunks were asked for (no Accept-Encoding is sent).
        if (!equalsIgnoringCase(value, "chunked"))
            return false;
        m_chunked = true;
    }
    return true;
}

void HttpAnswerReader::startBody() {
    const int code = m_statusCode.value_or(0);
    if (code < 200 || code == 204 || code == 304)
        m_phase = Phase::done;
    else if (m_chunked)
        m_phase = Phase::chunkSize;
    else if (m_contentLength) {
        m_remaining = *m_contentLength;
        m_phase = m_remaining == 0 ? Phase::done : Phase::lengthBody;
    } else
        m_phase = Phase::untilClose;
}

// Moves up to `wanted` pending bytes into the body; true when all of them were there.
bool HttpAnswerReader::takeBody(qsizetype wanted) {
    const qsizetype available = std::min(wanted, m_pending.size() - m_at);
    if (m_body.size() + available > m_maxBodyBytes) {
        m_phase = Phase::failed;
        return false;
    }
    m_body.append(m_pending.constData() + m_at, available);
    m_at += available;
    m_remaining -= std::min(m_remaining, available);
    return available == wanted;
}
