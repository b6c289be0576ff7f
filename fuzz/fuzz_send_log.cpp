#include "Models/SendLogEntry.h"
#include "Support/JsonFields.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray stored(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Read entry by entry, as the program loads the log.
    const JsonFields::ArrayRead<SendLogEntry> read = JsonFields::decodeEach<SendLogEntry>(stored);
    for (const SendLogEntry& entry : read.items) {
        (void)entry.dateTime();
        (void)SendLogEntry::standardized(entry.fileURL);
    }
    const auto strict = SendLogEntry::decodeList(stored);
    if (read.whole != strict.has_value())
        __builtin_trap();
    (void)SendLogEntry::encodeList(read.items);
    return 0;
}
