#include "Models/SavedMachine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray stored(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto machines = SavedMachine::decodeList(stored)) {
        // What decodes must survive a round trip unchanged.
        if (SavedMachine::decodeList(SavedMachine::encodeList(*machines)) != machines)
            __builtin_trap();
        for (const SavedMachine& machine : *machines)
            (void)machine.displayHost();
    }
    return 0;
}
