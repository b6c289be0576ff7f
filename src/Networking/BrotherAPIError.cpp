#include "Networking/BrotherAPIError.h"

#include "Support/ByteCountFormat.h"
#include "Support/Overloaded.h"

QString BrotherAPIError::errorDescription() const {
    return std::visit(
        Overloaded{
            [](const TooLarge& error) {
                return tr("This design is too large to send. The machine accepts up to %1.")
                    .arg(ByteCountFormat::fileSize(error.limit));
            },
            [](const BadStatus& error) {
                return tr("The machine refused the design (status %1). If it's full, retrieve "
                          "the waiting designs on the machine, or turn it off and on to empty "
                          "its wireless pocket.")
                    .arg(error.code);
            },
            [](const Unreachable&) {
                return tr("Couldn't reach the machine. Make sure it's on and connected to "
                          "Wi-Fi, then try again.");
            },
            [](const NoAnswer&) {
                return tr("The design was sent, but the machine didn't answer. It may have "
                          "received it: check its wireless pocket before sending it again.");
            },
            [](const DesignUnreadable&) {
                return tr("Couldn't read the design while sending it, so the machine didn't "
                          "receive all of it. Check the file and send it again.");
            },
        },
        kind);
}
