#pragma once

#include <QString>

#include <variant>

// What the drop zone shows about sending.
namespace SendStatuses {

struct Sending {
    QString fileName;
    qint64 index = 0;
    qint64 total = 0;
    friend bool operator==(const Sending&, const Sending&) = default;
};

struct Sent {
    QString summary;
    QString machine;
    friend bool operator==(const Sent&, const Sent&) = default;
};

struct Error {
    QString message;
    friend bool operator==(const Error&, const Error&) = default;
};

struct Idle {
    friend bool operator==(const Idle&, const Idle&) = default;
};

} // namespace SendStatuses

using SendStatus = std::variant<SendStatuses::Sending, SendStatuses::Sent, SendStatuses::Error,
                                SendStatuses::Idle>;

// For test failure messages and the command-line tool.
QString describe(const SendStatus& status);
