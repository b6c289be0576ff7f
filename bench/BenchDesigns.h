#pragma once

#include <QByteArray>

// Large designs for the thumbnail benchmarks, made in memory.
namespace BenchDesigns {

// A PEC file whose every stitch crosses the whole 2000 x 2000 design from one side to the other,
// each on a line of its own: `stitches` of them in 7 colour blocks (747,000 make a file just
// under 3 MB).
QByteArray crossingPEC(int stitches = 747'000);

// A PES file of `runs` colour blocks of two points each, a short stitch apart and stepping
// across the design: 598,000 make a file just under 3 MB, the most runs a machine's usual limit
// lets through.
QByteArray colourRunsPES(int runs = 598'000);

// `dst`'s stitch records `times` over, end to end, under its own header; empty when `dst` is
// not a DST design.
QByteArray repeatedDST(const QByteArray& dst, int times);

} // namespace BenchDesigns
