#include "Networking/MachineInfo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto info =
        MachineInfo::parse(body, QStringLiteral("192.168.1.50"), 443, QStringLiteral("AB:CD"));
    if (!info)
        return 0;
    // What is accepted always names a machine, and a kept name is never blank.
    if (!info->machineID && !info->serial)
        __builtin_trap();
    if (info->name && (info->name->isEmpty() || *info->name != info->name->trimmed()))
        __builtin_trap();
    (void)info->embroideryAreaText();
    (void)info->toJson();
    return 0;
}
