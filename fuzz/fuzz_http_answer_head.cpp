// The head of a machine's answer to an upload: bytes from outside the program.

#include "Networking/HttpAnswerHead.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const HttpAnswerHead::Reading reading = HttpAnswerHead::finalStatus(bytes);
    if (const auto* status = std::get_if<HttpAnswerHead::Status>(&reading);
        status && (status->code < 0 || status->code > 999 || status->code == 100))
        __builtin_trap(); // three digits, never the interim answer
    // What is decided stays decided whatever arrives after it.
    if (!std::holds_alternative<HttpAnswerHead::Incomplete>(reading) &&
        HttpAnswerHead::finalStatus(bytes + "\r\nHTTP/1.1 201 Created\r\n\r\n") != reading)
        __builtin_trap();
    return 0;
}
