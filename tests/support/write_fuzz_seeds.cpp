// Writes the fuzz targets' seed designs from the stitch writers:
//   write_fuzz_seeds fuzz/seeds
// Regenerate after changing the writers; the seeds are committed.

#include "support/StitchWriters.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace StitchWriters;

namespace {

bool write(const QString& root, const QString& target, const QString& name,
           const QByteArray& contents) {
    if (!QDir().mkpath(root + '/' + target))
        return false;
    QFile file(root + '/' + target + '/' + name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(contents) == contents.size();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: write_fuzz_seeds DIR\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const std::vector<Command> small = sampleDesign(300, 3);
    const std::vector<Command> mixed{stitch(10, 0), stitch(0, 100),  jump(-121, 121),
                                     colorChange(), stitch(-64, 63), stitch(1, 1),
                                     jump(5, -5),   colorChange(),   stitch(121, -121)};
    const std::vector<Command> longMoves{stitch(2047, 0), stitch(0, -2048), jump(-2047, 2047),
                                         colorChange(), stitch(64, -65)};
    const QByteArray pecSmall = pecStitchBytes(small);
    bool ok = true;
    ok &= write(root, "fuzz_dst", "sample.dst", dst(small, {"TC#FF0000,Red", "TC#00ff00,Green"}));
    ok &= write(root, "fuzz_dst", "mixed.dst", dst(mixed));
    ok &= write(root, "fuzz_dst", "no-end.dst", dst(mixed, {"TC #zz"}, false));
    ok &= write(root, "fuzz_pes", "sample.pec", pec({1, 70, 200}, pecSmall));
    ok &= write(root, "fuzz_pes", "sample.pes", pes({5, 13}, pecSmall, 100));
    ok &= write(root, "fuzz_pes", "long.pec", pec({5}, pecStitchBytes(longMoves)));
    ok &= write(root, "fuzz_pes", "truncated.pec", pec({5}, pecStitchBytes(mixed, false)));
    ok &= write(root, "fuzz_phc", "sample.phc", phc({1, 70, 200}, pecSmall));
    ok &= write(root, "fuzz_phc", "long.phc", phc({}, pecStitchBytes(longMoves), {9, 30, 70, 200}));
    if (!ok) {
        std::fputs("cannot write the seeds\n", stderr);
        return 1;
    }
    return 0;
}
