// A machine's answer as it arrives on the connection: bytes from outside the program.

#include "Networking/HttpAnswerReader.h"

#include <cstddef>
#include <cstdint>

namespace {

struct Result {
    HttpAnswerReader::State state;
    std::optional<int> status;
    QByteArray body;
    bool operator==(const Result&) const = default;
};

// The bytes in two pieces split at `at`, then the end of the connection.
Result read(QByteArrayView bytes, qsizetype at, HttpAnswerReader::Extent extent) {
    HttpAnswerReader reader(extent, 4096);
    reader.feed(bytes.first(at));
    reader.feed(bytes.sliced(at));
    reader.close();
    return {reader.state(), reader.statusCode(), reader.body()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses where the rest is split and how much of the answer is wanted.
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1,
                               static_cast<qsizetype>(size - 1));
    const qsizetype at = bytes.isEmpty() ? 0 : data[0] % (bytes.size() + 1);
    const auto extent =
        data[0] & 0x80 ? HttpAnswerReader::Extent::statusLine : HttpAnswerReader::Extent::whole;
    const Result whole = read(bytes, 0, extent);
    // However the bytes arrive, the answer is the same.
    if (read(bytes, at, extent) != whole)
        __builtin_trap();
    if (whole.state == HttpAnswerReader::State::complete &&
        (!whole.status || *whole.status < 0 || *whole.status > 999 || *whole.status == 100 ||
         whole.body.size() > 4096))
        __builtin_trap();
    return 0;
}
