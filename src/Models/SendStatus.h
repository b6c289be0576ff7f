#pragma once

#include <QString>
#include <QStringList>

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
    // Written out so that a status made without warnings needs no empty list.
    Sent() = default;
    Sent(QString summaryText, QString machineName, QStringList warningLines = {})
        : summary(std::move(summaryText))
        , machine(std::move(machineName))
        , warnings(std::move(warningLines)) {}

    QString summary;
    QString machine;
    // One line per design sent that is larger than its machine's embroidery area.
    QStringList warnings;

    // The warnings as said in a notification: at most `shownWarnings` lines, then "and N more".
    QStringList warningSummary() const;
    static constexpr qsizetype shownWarnings = 3;
    // The warnings in at most `lines` lines (one or more): all of them where they fit, else as
    // many as leave a last line for "and N more".
    QStringList foldedWarnings(qsizetype lines) const;

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
