#include "SendLogEntry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray stored(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto entries = SendLogEntry::decodeList(stored)) {
        for (const SendLogEntry& entry : *entries)
            (void)entry.dateTime();
        (void)SendLogEntry::encodeList(*entries);
    }
    return 0;
}
