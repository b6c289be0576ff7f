#include "BenchDesigns.h"

#include "support/StitchWriters.h"

namespace BenchDesigns {

QByteArray crossingPEC(int stitches) {
    using namespace StitchWriters;
    constexpr int side = 2000;
    constexpr int colors = 7;
    std::vector<Command> commands;
    commands.reserve(static_cast<std::size_t>(stitches + colors));
    // The pen alternates between the left and right edges at heights drawn from a fixed
    // pseudo-random sequence, so no two stitches coincide and none lies on another.
    std::uint32_t state = 2463534242u;
    const auto nextHeight = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<int>(state % (side + 1));
    };
    int x = 0;
    int y = nextHeight();
    commands.push_back(jump(0, y));
    const int perColor = stitches / colors + 1;
    for (int i = 0; i < stitches; ++i) {
        if (i > 0 && i % perColor == 0)
            commands.push_back(colorChange());
        const int nextX = x == 0 ? side : 0;
        const int nextY = nextHeight();
        commands.push_back(stitch(nextX - x, nextY - y));
        x = nextX;
        y = nextY;
    }
    return pec({5, 13, 21, 29, 37, 45, 53}, pecStitchBytes(commands));
}

QByteArray colourRunsPES(int runs) {
    using namespace StitchWriters;
    std::vector<Command> commands;
    commands.reserve(static_cast<std::size_t>(2 * runs));
    for (int i = 0; i < runs; ++i) {
        if (i > 0)
            commands.push_back(colorChange());
        // Down the column, then one step right at its foot, so that runs rarely coincide.
        commands.push_back(i % 500 == 499 ? stitch(3, -1497) : stitch(0, 3));
    }
    std::vector<std::uint8_t> colours;
    for (int i = 0; i < 64; ++i)
        colours.push_back(static_cast<std::uint8_t>(1 + i % 64));
    return pes(colours, pecStitchBytes(commands));
}

QByteArray repeatedDST(const QByteArray& dst, int times) {
    constexpr qsizetype header = 512;
    if (dst.size() <= header)
        return {};
    // The records up to the end record, which closes the whole once.
    qsizetype end = header;
    while (end + 3 <= dst.size() && (static_cast<unsigned char>(dst[end + 2]) & 0xF3) != 0xF3)
        end += 3;
    const QByteArray records = dst.mid(header, end - header);
    QByteArray out = dst.left(header);
    for (int i = 0; i < times; ++i)
        out += records;
    out.append("\x00\x00\xF3", 3);
    return out;
}

} // namespace BenchDesigns
