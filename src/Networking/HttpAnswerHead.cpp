#include "Networking/HttpAnswerHead.h"

#include <optional>

namespace HttpAnswerHead {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "HTTP/1.x NNN" followed by a space or the end of the line; the reason phrase is not read.
std::optional<int> statusCode(QByteArrayView line) {
    if (line.size() < 12 || !line.startsWith("HTTP/1.") || !isDigit(line[7]) || line[8] != ' ')
        return std::nullopt;
    if (!isDigit(line[9]) || !isDigit(line[10]) || !isDigit(line[11]))
        return std::nullopt;
    if (line.size() > 12 && line[12] != ' ')
        return std::nullopt;
    return (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
}

} // namespace

Reading finalStatus(QByteArrayView received) {
    qsizetype at = 0;
    bool inInterimHead = false;
    for (;;) {
        const qsizetype end = received.indexOf('\n', at);
        if (end < 0)
            return received.size() > maxBytes ? Reading(NotHTTP{}) : Reading(Incomplete{});
        QByteArrayView line = received.sliced(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        at = end + 1;
        if (at > maxBytes)
            return NotHTTP{};
        if (inInterimHead) {
            inInterimHead = !line.isEmpty(); // an empty line ends the interim answer's head
            continue;
        }
        const std::optional<int> code = statusCode(line);
        if (!code)
            return NotHTTP{};
        if (*code != 100)
            return Status{*code};
        inInterimHead = true;
    }
}

} // namespace HttpAnswerHead
