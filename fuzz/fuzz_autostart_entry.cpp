// An autostart entry as found on disk, possibly edited by hand or by another program.
#include "Support/LoginItem.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)LoginItem::entryIsEnabled(contents);
    return 0;
}
