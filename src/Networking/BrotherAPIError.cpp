#include "Networking/BrotherAPIError.h"

#include "Support/ByteCountFormat.h"
#include "Support/Overloaded.h"

QString BrotherAPIError::errorDescription() const {
    return std::visit(
        Overloaded{
            [](const TooLarge& error) {
                return QStringLiteral(
                           "This design is too large to send. The machine accepts up to ") +
                       ByteCountFormat::fileSize(error.limit) + u'.';
            },
            [](const BadStatus& error) {
                return QStringLiteral("The machine refused the design (status ") +
                       QString::number(error.code) +
                       QStringLiteral(
                           "). If it's full, retrieve the waiting designs on the machine, or "
                           "turn it off and on to empty its wireless pocket.");
            },
            [](const Unreachable&) {
                return QStringLiteral("Couldn't reach the machine. Make sure it's on and "
                                      "connected to Wi-Fi, then try again.");
            },
            [](const NoAnswer&) {
                return QStringLiteral(
                    "The design was sent, but the machine didn't answer. It may have received it: "
                    "check its wireless pocket before sending it again.");
            },
        },
        kind);
}
