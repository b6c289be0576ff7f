// Tajima DST: a 512-byte text header, then 3-byte stitch records whose bits add up balanced
// ternary displacements.

#include "Designs/DSTReader.h"

#include <QString>

#include <array>

namespace {

constexpr std::size_t headerSize = 512;

struct Displacement {
    std::int8_t dx;
    std::int8_t dy;
};
using Table = std::array<Displacement, 256>;

// The displacement each byte of a record contributes, per position in the record. Bits that
// carry no displacement contribute nothing. y is negated: the format's y axis points up.
constexpr Table tableFor(int record) {
    Table table{};
    for (int byte = 0; byte < 256; ++byte) {
        const auto bit = [byte](int n) { return (byte >> n) & 1; };
        int dx = 0;
        int dy = 0;
        if (record == 0) {
            dx = bit(0) - bit(1) + 9 * bit(2) - 9 * bit(3);
            dy = -bit(7) + bit(6) - 9 * bit(5) + 9 * bit(4);
        } else if (record == 1) {
            dx = 3 * bit(0) - 3 * bit(1) + 27 * bit(2) - 27 * bit(3);
            dy = -3 * bit(7) + 3 * bit(6) - 27 * bit(5) + 27 * bit(4);
        } else {
            dx = 81 * bit(2) - 81 * bit(3);
            dy = -81 * bit(5) + 81 * bit(4);
        }
        table[static_cast<std::size_t>(byte)] = {static_cast<std::int8_t>(dx),
                                                 static_cast<std::int8_t>(dy)};
    }
    return table;
}

constexpr Table byte0 = tableFor(0);
constexpr Table byte1 = tableFor(1);
constexpr Table byte2 = tableFor(2);

// The value of a hexadecimal digit, or -1.
int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

QStringView trimmedOfSpacesAndTabs(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace

std::optional<std::vector<std::uint32_t>> DSTReader::colors(QByteArrayView header) {
    const QString text = QString::fromUtf8(header);
    std::vector<std::uint32_t> colors;
    for (const QStringView rawLine : QStringView(text).tokenize(QChar(u'\r'), Qt::SkipEmptyParts)) {
        for (const QStringView piece : rawLine.tokenize(QChar(u'\n'), Qt::SkipEmptyParts)) {
            const QStringView line = trimmedOfSpacesAndTabs(piece);
            const qsizetype hash = line.indexOf(u'#');
            if (!line.startsWith(u"TC") || hash < 0)
                continue;
            const QStringView digits = line.sliced(hash + 1).left(6);
            if (digits.isEmpty())
                continue;
            std::uint32_t color = 0;
            bool valid = true;
            for (const QChar c : digits) {
                const int value = hexValue(c);
                if (value < 0) {
                    valid = false;
                    break;
                }
                color = color * 16 + static_cast<std::uint32_t>(value);
            }
            if (valid)
                colors.push_back(color);
        }
    }
    if (colors.empty())
        return std::nullopt;
    return colors;
}

std::optional<StitchPreview> DSTReader::read(QByteArrayView bytes) {
    const auto size = static_cast<std::size_t>(bytes.size());
    if (size <= headerSize)
        return std::nullopt;
    StitchPreview::Builder builder(
        colors(bytes.first(headerSize)).value_or(StitchPreview::defaultPalette()));
    // One record (3 bytes) a stitch and a point; a run's first point follows a jump or colour
    // change record, and a run holds a stitch.
    builder.reserve((size - headerSize) / 3 + 1, (size - headerSize) / 6 + 1);

    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = headerSize; i + 3 <= size; i += 3) {
        const unsigned char b0 = data[i];
        const unsigned char b1 = data[i + 1];
        const unsigned char b2 = data[i + 2];
        if ((b2 & 0xF3) == 0xF3)
            break;
        const std::int64_t dx = byte0[b0].dx + byte1[b1].dx + byte2[b2].dx;
        const std::int64_t dy = byte0[b0].dy + byte1[b1].dy + byte2[b2].dy;
        if ((b2 & 0xC3) == 0xC3)
            builder.changeColor(dx, dy);
        else if ((b2 & 0x43) == 0x43 || (b2 & 0x83) == 0x83)
            builder.jump(dx, dy);
        else
            builder.addStitch(dx, dy);
    }
    return builder.finish();
}
