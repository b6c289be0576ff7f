// The hand-off message a later launch sends over the local socket.
#include "Support/SingleInstance.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const SingleInstance::Decoded decoded = SingleInstance::decodeMessage(bytes);
    if (decoded.state == SingleInstance::Decoded::State::complete) {
        // Whatever is accepted is an absolute local file, and survives its own round trip.
        for (const QUrl& url : decoded.files) {
            if (!url.isLocalFile() || !url.toLocalFile().startsWith(u'/'))
                __builtin_trap();
        }
        const SingleInstance::Decoded again =
            SingleInstance::decodeMessage(SingleInstance::encodeMessage(decoded.files));
        if (again.state != SingleInstance::Decoded::State::complete || again.files != decoded.files)
            __builtin_trap();
    }
    return 0;
}
