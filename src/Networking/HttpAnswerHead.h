#pragma once

#include <QByteArrayView>

#include <variant>

// The start of an HTTP/1.x answer as it arrives on a connection. A request that reads nothing
// but the outcome needs only the final status line; interim "100 Continue" answers before it are
// skipped with their header lines.
namespace HttpAnswerHead {

// More bytes are needed before the status can be told.
struct Incomplete {
    friend bool operator==(const Incomplete&, const Incomplete&) = default;
};
// The bytes are not an HTTP/1.x answer (or its head runs past maxBytes).
struct NotHTTP {
    friend bool operator==(const NotHTTP&, const NotHTTP&) = default;
};
struct Status {
    int code = 0;
    friend bool operator==(const Status&, const Status&) = default;
};
using Reading = std::variant<Incomplete, NotHTTP, Status>;

// An answer whose head is longer is not one a machine sends.
inline constexpr qsizetype maxBytes = 64 * 1024;

// Reads `received`, everything that arrived so far from the start of the answer.
Reading finalStatus(QByteArrayView received);

} // namespace HttpAnswerHead
