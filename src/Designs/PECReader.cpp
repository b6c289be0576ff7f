// Brother PEC stitch data, found inside PES and PEC files and, further in, PHC files. Every
// offset taken from the file is checked against its size before it is read; offsets are 64-bit
// so that adding a 32-bit length can never wrap.

#include "Designs/PECReader.h"

#include <cstring>

namespace {

struct Bytes {
    const unsigned char* data;
    std::uint64_t size;

    explicit Bytes(QByteArrayView view)
        : data(reinterpret_cast<const unsigned char*>(view.data()))
        , size(static_cast<std::uint64_t>(view.size())) {}

    bool contains(std::uint64_t offset) const { return offset < size; }
    // Callers check that offset + 1 (and + 3 for u32) is inside.
    std::uint64_t u16(std::uint64_t offset) const {
        return std::uint64_t(data[offset]) | std::uint64_t(data[offset + 1]) << 8;
    }
    std::uint64_t u32(std::uint64_t offset) const { return u16(offset) | u16(offset + 2) << 16; }
};

} // namespace

std::optional<StitchPreview> PECReader::readPEC(QByteArrayView view, std::uint64_t offset) {
    const Bytes bytes(view);
    if (!bytes.contains(offset + 48))
        return std::nullopt;
    const std::uint64_t lastColor = bytes.data[offset + 48];
    if (bytes.size < offset + 50 + lastColor)
        return std::nullopt;
    std::vector<std::uint32_t> palette;
    palette.reserve(lastColor + 1);
    for (std::uint64_t i = 0; i <= lastColor; ++i)
        palette.push_back(StitchPreview::pecPalette()[bytes.data[offset + 49 + i] % 65]);
    return readPECStitches(view, offset + 532, std::move(palette));
}

std::optional<StitchPreview> PECReader::readPECStitches(QByteArrayView view, std::uint64_t from,
                                                        std::vector<std::uint32_t> palette) {
    const Bytes bytes(view);
    const unsigned char* data = bytes.data;
    const std::uint64_t size = bytes.size;
    StitchPreview::Builder builder(std::move(palette));
    // A stitch takes 2 bytes or more and adds a point; a run's first point comes after a colour
    // change or jump of 3 bytes or more, and a run holds a stitch.
    if (from < size)
        builder.reserve((size - from) / 2 + 1, (size - from) / 5 + 1);

    std::uint64_t i = from;
    while (i < size) {
        if (i + 1 >= size)
            break;
        const unsigned char a = data[i];
        const unsigned char b = data[i + 1];
        if (a == 0xFF && b == 0x00)
            break;
        if (a == 0xFE && b == 0xB0) {
            builder.changeColor(0, 0);
            i += 3;
            continue;
        }

        // One coordinate in its short (7-bit) or long (12-bit, with flags) form; false when
        // its bytes run past the end.
        bool flagged = false;
        const auto coordinate = [&](std::int64_t& value) {
            if (i >= size)
                return false;
            const unsigned char c = data[i];
            if ((c & 0x80) == 0) {
                value = c < 64 ? c : c - 128;
                i += 1;
                return true;
            }
            if (i + 1 >= size)
                return false;
            const int raw = (c & 0x0F) << 8 | data[i + 1];
            value = raw >= 0x800 ? raw - 0x1000 : raw;
            flagged = flagged || (c & 0x30) != 0;
            i += 2;
            return true;
        };
        std::int64_t dx = 0;
        std::int64_t dy = 0;
        if (!coordinate(dx) || !coordinate(dy))
            break;
        if (flagged)
            builder.jump(dx, dy);
        else
            builder.addStitch(dx, dy);
    }
    return builder.finish();
}

std::optional<StitchPreview> PECReader::readPHC(QByteArrayView view) {
    const Bytes bytes(view);
    if (bytes.size < 79)
        return std::nullopt;

    const std::uint64_t colorCount = bytes.u16(77);
    std::vector<std::uint32_t> palette;
    // Indexes past the end are skipped, so the list never outgrows the file.
    const std::uint64_t present = std::min(colorCount, bytes.size - 79);
    palette.reserve(present);
    for (std::uint64_t i = 0; i < present; ++i)
        palette.push_back(StitchPreview::pecPalette()[bytes.data[79 + i] % 65]);

    const std::uint64_t base = bytes.u16(48) + bytes.data[43];
    if (!bytes.contains(base + 1))
        return std::nullopt;
    const std::uint64_t q = base + 2 + bytes.u16(base);
    if (!bytes.contains(q + 3))
        return std::nullopt;
    const std::uint64_t r = q + 4 + bytes.u32(q) + 10;
    if (!bytes.contains(r))
        return std::nullopt;
    return readPECStitches(view, r + 30 + bytes.data[r], std::move(palette));
}

std::optional<StitchPreview> PECReader::readPESOrPEC(QByteArrayView bytes) {
    if (bytes.size() < 13)
        return std::nullopt;
    const char* data = bytes.data();
    // The magic decides, not the extension: machines write either under both names.
    if (std::memcmp(data, "#PEC0001", 8) == 0)
        return readPEC(bytes, 8);
    if (std::memcmp(data, "#PES", 4) == 0) {
        const auto* u = reinterpret_cast<const unsigned char*>(data);
        const std::uint64_t offset = std::uint64_t(u[8]) | std::uint64_t(u[9]) << 8 |
                                     std::uint64_t(u[10]) << 16 | std::uint64_t(u[11]) << 24;
        return readPEC(bytes, offset);
    }
    return std::nullopt;
}
