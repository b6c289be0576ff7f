// make_bench_designs OUTDIR [PEACOCK.dst]: writes the large designs the thumbnail benchmarks draw.
//
// - crossing.pec: about 747,000 stitches that each cross the whole design, just under 3 MB, the
//   kind of file a machine accepts but that costs its length in pixels per stitch to stroke;
// - colour-runs.pes: 598,000 colour blocks of two points each, just under 3 MB, which a preview
//   must thin to stay within its bytes;
// - peacock-x3.dst (when a DST is given): that design's stitch records three times end to end,
//   a big real design whose picture is the original's.

#include "BenchDesigns.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s: %lld bytes\n", qPrintable(path), bytes.size());
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.size() > 2) {
        std::fputs("usage: make_bench_designs OUTDIR [DESIGN.dst]\n", stderr);
        return 2;
    }
    const QDir out(arguments[0]);
    if (!QDir().mkpath(out.path()))
        return 1;
    if (!write(out.filePath(QStringLiteral("crossing.pec")), BenchDesigns::crossingPEC()) ||
        !write(out.filePath(QStringLiteral("colour-runs.pes")), BenchDesigns::colourRunsPES()))
        return 1;
    if (arguments.size() == 2) {
        QFile file(arguments[1]);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(arguments[1]));
            return 1;
        }
        const QByteArray tiled = BenchDesigns::repeatedDST(file.readAll(), 3);
        if (tiled.isEmpty()) {
            std::fprintf(stderr, "%s is not a DST design\n", qPrintable(arguments[1]));
            return 1;
        }
        if (!write(out.filePath(QStringLiteral("peacock-x3.dst")), tiled))
            return 1;
    }
    return 0;
}
