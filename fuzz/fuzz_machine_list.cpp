#include "Models/SavedMachine.h"
#include "Support/JsonFields.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray stored(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Read record by record, as the program loads the list.
    const JsonFields::ArrayRead<SavedMachine> read = JsonFields::decodeEach<SavedMachine>(stored);
    // What reads must survive a round trip unchanged, and whole.
    const auto again = SavedMachine::decodeList(SavedMachine::encodeList(read.items));
    if (!again || *again != read.items)
        __builtin_trap();
    // A list that reads whole reads the same strictly; one that does not fails strictly.
    const auto strict = SavedMachine::decodeList(stored);
    if (read.whole != strict.has_value() || (strict && *strict != read.items))
        __builtin_trap();
    for (const SavedMachine& machine : read.items)
        (void)machine.displayHost();
    return 0;
}
