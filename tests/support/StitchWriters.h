#pragma once

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <vector>

// Design files made from stitch lists, so tests, fuzz seeds and benchmarks need no outside
// files. Moves are in design units with y growing downward, as previews hold them.
namespace StitchWriters {

enum class Kind { stitch, jump, colorChange };

struct Command {
    Kind kind = Kind::stitch;
    int dx = 0;
    int dy = 0;
    friend bool operator==(const Command&, const Command&) = default;
};

inline Command stitch(int dx, int dy) {
    return {Kind::stitch, dx, dy};
}
inline Command jump(int dx, int dy) {
    return {Kind::jump, dx, dy};
}
// PEC colour changes carry no move; pass 0, 0 for formats other than DST.
inline Command colorChange(int dx = 0, int dy = 0) {
    return {Kind::colorChange, dx, dy};
}

// DST: a 512-byte header holding `headerLines` (each ended by a carriage return), then one
// 3-byte record per command (moves must lie within -121..121) and, when `endRecord`, the end
// record 00 00 F3.
QByteArray dst(const std::vector<Command>& commands, const QStringList& headerLines = {},
               bool endRecord = true);

// Raw PEC stitch bytes: short form where it fits and the command is a stitch, else long form
// (jumps flagged 0x20); colour changes FE B0 xx; the end marker FF 00 when `endMarker`.
QByteArray pecStitchBytes(const std::vector<Command>& commands, bool endMarker = true);

// A PEC section: label, colour count and `colorBytes`, padding to the stitch data at +532, then
// `stitchBytes`.
QByteArray pecSection(const std::vector<std::uint8_t>& colorBytes, const QByteArray& stitchBytes);

// "#PEC0001" followed by a PEC section.
QByteArray pec(const std::vector<std::uint8_t>& colorBytes, const QByteArray& stitchBytes);

// "#PES0001", the section offset, zero filling up to `sectionOffset` (at least 12), then a PEC
// section.
QByteArray pes(const std::vector<std::uint8_t>& colorBytes, const QByteArray& stitchBytes,
               std::uint32_t sectionOffset = 64);

// The lengths a PHC file chains through to reach its stitch data.
struct PhcLayout {
    std::uint8_t byte43 = 3;
    std::uint16_t firstLength = 4;
    std::uint32_t secondLength = 6;
    std::uint8_t gap = 2;
};

// PHC: a 79-byte header with the colour count at 77 and the colour bytes at 79, then the
// chained blocks of `layout`, then `stitchBytes`.
QByteArray phc(const std::vector<std::uint8_t>& colorBytes, const QByteArray& stitchBytes,
               const PhcLayout& layout = {});

// A dense design for benchmarks and fuzz seeds: rows of short stitches in `colors` blocks,
// joined by jumps, moves small enough for every format.
std::vector<Command> sampleDesign(int stitchCount, int colors);

} // namespace StitchWriters
