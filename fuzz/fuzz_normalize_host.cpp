#include "Models/SavedMachine.h"

#include <QUrl>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString typed =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto host = SavedMachine::normalizeHost(typed)) {
        // A normalized host is stable: normalizing it again gives the same text.
        if (SavedMachine::normalizeHost(*host) != host)
            __builtin_trap();
        // A four-part numeric host is reached in decimal: a URL of it names that very text.
        const QString reached = connectionHost(*host);
        if (reached != *host &&
            QUrl(QStringLiteral("https://") + reached + QStringLiteral("/")).host() != reached)
            __builtin_trap();
    }
    return 0;
}
