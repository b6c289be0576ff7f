#include "support/StitchWriters.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace StitchWriters {

namespace {

void appendU16(QByteArray& out, std::uint32_t value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void appendU32(QByteArray& out, std::uint32_t value) {
    appendU16(out, value & 0xFFFF);
    appendU16(out, value >> 16);
}

// Balanced ternary digits (-1, 0, +1) of `value` for the weights 1, 3, 9, 27, 81.
std::array<int, 5> ternary(int value) {
    std::array<int, 5> digits{};
    for (int& digit : digits) {
        int remainder = ((value % 3) + 3) % 3;
        if (remainder == 2)
            remainder = -1;
        digit = remainder;
        value = (value - remainder) / 3;
    }
    return digits;
}

// Where each weight's +/- bits sit, as (byte, bit). DST's y axis points up, so a downward move
// is written as a negative file y.
struct BitPair {
    int byte;
    int plus;
    int minus;
};
constexpr std::array<BitPair, 5> xBits{{{0, 0, 1}, {1, 0, 1}, {0, 2, 3}, {1, 2, 3}, {2, 2, 3}}};
constexpr std::array<BitPair, 5> yBits{{{0, 7, 6}, {1, 7, 6}, {0, 5, 4}, {1, 5, 4}, {2, 5, 4}}};

void setDigits(std::array<unsigned char, 3>& record, const std::array<int, 5>& digits,
               const std::array<BitPair, 5>& bits) {
    for (std::size_t weight = 0; weight < digits.size(); ++weight) {
        const BitPair& pair = bits[weight];
        if (digits[weight] == 1)
            record[static_cast<std::size_t>(pair.byte)] |=
                static_cast<unsigned char>(1 << pair.plus);
        else if (digits[weight] == -1)
            record[static_cast<std::size_t>(pair.byte)] |=
                static_cast<unsigned char>(1 << pair.minus);
    }
}

void appendPecCoordinate(QByteArray& out, int value, bool longForm, int flags) {
    if (!longForm) {
        out.append(static_cast<char>(value < 0 ? value + 128 : value));
        return;
    }
    const int raw = value & 0xFFF;
    out.append(static_cast<char>(0x80 | flags | (raw >> 8)));
    out.append(static_cast<char>(raw & 0xFF));
}

} // namespace

QByteArray dst(const std::vector<Command>& commands, const QStringList& headerLines,
               bool endRecord) {
    QByteArray header = "LA:TEST            \r";
    for (const QString& line : headerLines)
        header += line.toUtf8() + '\r';
    header = header.leftJustified(511, ' ', true);
    header.append('\x1A');

    QByteArray out = header;
    for (const Command& command : commands) {
        std::array<unsigned char, 3> record{0, 0, 0x03};
        setDigits(record, ternary(command.dx), xBits);
        setDigits(record, ternary(-command.dy), yBits);
        if (command.kind == Kind::jump)
            record[2] |= 0x80;
        else if (command.kind == Kind::colorChange)
            record[2] |= 0xC0;
        out.append(reinterpret_cast<const char*>(record.data()), 3);
    }
    if (endRecord)
        out.append("\x00\x00\xF3", 3);
    return out;
}

QByteArray pecStitchBytes(const std::vector<Command>& commands, bool endMarker) {
    QByteArray out;
    int changes = 0;
    for (const Command& command : commands) {
        if (command.kind == Kind::colorChange) {
            out.append("\xFE\xB0", 2);
            out.append(static_cast<char>(++changes % 2 == 1 ? 2 : 1));
            continue;
        }
        const bool isJump = command.kind == Kind::jump;
        const auto fitsShort = [](int v) { return v >= -64 && v <= 63; };
        appendPecCoordinate(out, command.dx, isJump || !fitsShort(command.dx), isJump ? 0x20 : 0);
        appendPecCoordinate(out, command.dy, isJump || !fitsShort(command.dy), isJump ? 0x20 : 0);
    }
    if (endMarker)
        out.append("\xFF\x00", 2);
    return out;
}

QByteArray pecSection(const std::vector<std::uint8_t>& colorBytes, const QByteArray& stitchBytes) {
    QByteArray section = QByteArray("LA:TEST            \r").leftJustified(48, ' ');
    section.append(static_cast<char>(colorBytes.size() - 1));
    for (const std::uint8_t color : colorBytes)
        section.append(static_cast<char>(color));
    section = section.leftJustified(532, ' ');
    return section + stitchBytes;
}

QByteArray pec(const std::vector<std::uint8_t>& colorBytes, const QByteArray& stitchBytes) {
    return "#PEC0001" + pecSection(colorBytes, stitchBytes);
}

QByteArray pes(const std::vector<std::uint8_t>& colorBytes, const QByteArray& stitchBytes,
               std::uint32_t sectionOffset) {
    QByteArray out = "#PES0001";
    appendU32(out, sectionOffset);
    out = out.leftJustified(sectionOffset, '\0');
    return out + pecSection(colorBytes, stitchBytes);
}

QByteArray phc(const std::vector<std::uint8_t>& colorBytes, const QByteArray& stitchBytes,
               const PhcLayout& layout) {
    QByteArray out(79, '\0');
    out.replace(0, 8, "#PHC0100");
    const std::uint32_t base =
        79 + static_cast<std::uint32_t>(colorBytes.size()) + 5 + layout.byte43;
    out[43] = static_cast<char>(layout.byte43);
    out[48] = static_cast<char>((base - layout.byte43) & 0xFF);
    out[49] = static_cast<char>(((base - layout.byte43) >> 8) & 0xFF);
    out[77] = static_cast<char>(colorBytes.size() & 0xFF);
    out[78] = static_cast<char>((colorBytes.size() >> 8) & 0xFF);
    for (const std::uint8_t color : colorBytes)
        out.append(static_cast<char>(color));
    out = out.leftJustified(base, '\0');

    appendU16(out, layout.firstLength);
    out.append(QByteArray(layout.firstLength, '\x11'));
    appendU32(out, layout.secondLength);
    // The block's own bytes and the ten that follow it.
    out.append(QByteArray(qsizetype(layout.secondLength) + 10, '\x22'));
    out.append(static_cast<char>(layout.gap));
    out.append(QByteArray(29 + layout.gap, '\x33'));
    return out + stitchBytes;
}

std::vector<Command> sampleDesign(int stitchCount, int colors) {
    std::vector<Command> commands;
    commands.reserve(static_cast<std::size_t>(stitchCount + stitchCount / 50 + colors));
    const int perColor = std::max(1, stitchCount / std::max(colors, 1));
    int made = 0;
    int row = 0;
    int block = 0;
    while (made < stitchCount) {
        if (made / perColor > block) {
            block = made / perColor;
            commands.push_back(colorChange());
        }
        // A row of zigzag stitches, then jumps back to the start of the next row, each move
        // small enough for DST's records.
        int rowWidth = 0;
        for (int i = 0; i < 200 && made < stitchCount; ++i, ++made) {
            commands.push_back(stitch(3 + (i % 3), (i % 2 == 0) ? 6 : -6));
            rowWidth += 3 + (i % 3);
        }
        for (; rowWidth > 0; rowWidth -= 120)
            commands.push_back(jump(-std::min(rowWidth, 120), 0));
        commands.push_back(jump(0, 3 + (row % 4)));
        ++row;
    }
    return commands;
}

} // namespace StitchWriters
