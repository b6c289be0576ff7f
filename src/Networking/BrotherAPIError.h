#pragma once

#include <QCoreApplication>
#include <QString>

#include <variant>

// Why an upload failed. Each case carries the message the user reads.
struct BrotherAPIError {
    Q_DECLARE_TR_FUNCTIONS(BrotherAPIError)

public:
    // The design file is larger than the limit the caller passed.
    struct TooLarge {
        qint64 limit = 0;
        friend bool operator==(const TooLarge&, const TooLarge&) = default;
    };
    // The machine answered with a status from 400 to 599.
    struct BadStatus {
        qint64 code = 0;
        friend bool operator==(const BadStatus&, const BadStatus&) = default;
    };
    // The request did not complete: no route, refused, time-out, TLS failure, cancellation.
    struct Unreachable {
        friend bool operator==(const Unreachable&, const Unreachable&) = default;
    };
    // The machine took the whole design but never answered: it may have stored it.
    struct NoAnswer {
        friend bool operator==(const NoAnswer&, const NoAnswer&) = default;
    };

    // The design's file could not give its bytes while they were sent: the machine never got
    // all of them.
    struct DesignUnreadable {
        friend bool operator==(const DesignUnreadable&, const DesignUnreadable&) = default;
    };

    std::variant<TooLarge, BadStatus, Unreachable, NoAnswer, DesignUnreadable> kind;

    static BrotherAPIError tooLarge(qint64 limit) { return {TooLarge{limit}}; }
    static BrotherAPIError badStatus(qint64 code) { return {BadStatus{code}}; }
    static BrotherAPIError unreachable() { return {Unreachable{}}; }
    static BrotherAPIError noAnswer() { return {NoAnswer{}}; }
    static BrotherAPIError designUnreadable() { return {DesignUnreadable{}}; }

    bool isUnreachable() const { return std::holds_alternative<Unreachable>(kind); }

    QString errorDescription() const;

    friend bool operator==(const BrotherAPIError&, const BrotherAPIError&) = default;
};
