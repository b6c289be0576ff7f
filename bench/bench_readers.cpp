// The design readers and the thumbnail drawing: bytes and stitches per second on large designs
// made by the stitch writers, and bytes per second on the real designs of ../shared/corpus
// (or $BOBBINLARK_REAL_DESIGNS) when that folder exists.

#include "Designs/DSTReader.h"
#include "Designs/PECReader.h"
#include "Designs/PreviewReader.h"
#include "Designs/StitchPreview.h"
#include "Support/Drawing/StitchPreviewPainter.h"
#include "support/StitchWriters.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <benchmark/benchmark.h>

#include <functional>

using namespace StitchWriters;

namespace {

constexpr int largeStitches = 200'000;

const std::vector<Command>& largeDesign() {
    static const std::vector<Command> commands = sampleDesign(largeStitches, 12);
    return commands;
}

std::vector<std::uint8_t> twelveColours() {
    return {1, 5, 9, 13, 17, 21, 25, 29, 33, 37, 41, 45};
}

using Reader = std::function<std::optional<StitchPreview>(QByteArrayView)>;

void measure(benchmark::State& state, const QByteArray& bytes, const Reader& read,
             std::int64_t stitches) {
    if (!read(bytes)) {
        state.SkipWithError("the design has no preview");
        return;
    }
    for (auto _ : state) {
        auto preview = read(bytes);
        benchmark::DoNotOptimize(preview);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    if (stitches > 0)
        state.counters["stitches/s"] = benchmark::Counter(
            static_cast<double>(stitches), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file bytes"] = static_cast<double>(bytes.size());
}

void BM_ReadDST(benchmark::State& state) {
    static const QByteArray bytes = dst(largeDesign(), {"TC#FF0000", "TC#00FF00", "TC#0000FF"});
    measure(state, bytes, &DSTReader::read, largeStitches);
}
BENCHMARK(BM_ReadDST)->Unit(benchmark::kMicrosecond);

void BM_ReadPES(benchmark::State& state) {
    static const QByteArray bytes = pes(twelveColours(), pecStitchBytes(largeDesign()), 4096);
    measure(state, bytes, &PECReader::readPESOrPEC, largeStitches);
}
BENCHMARK(BM_ReadPES)->Unit(benchmark::kMicrosecond);

void BM_ReadPEC(benchmark::State& state) {
    static const QByteArray bytes = pec(twelveColours(), pecStitchBytes(largeDesign()));
    measure(state, bytes, &PECReader::readPESOrPEC, largeStitches);
}
BENCHMARK(BM_ReadPEC)->Unit(benchmark::kMicrosecond);

void BM_ReadPHC(benchmark::State& state) {
    static const QByteArray bytes = phc(twelveColours(), pecStitchBytes(largeDesign()));
    measure(state, bytes, &PECReader::readPHC, largeStitches);
}
BENCHMARK(BM_ReadPHC)->Unit(benchmark::kMicrosecond);

// A 40-point tile of a decoded 100,000-stitch design: the work a recent-sends card does.
void BM_DrawThumbnail40(benchmark::State& state) {
    static const auto preview = DSTReader::read(dst(sampleDesign(100'000, 12)));
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    const std::size_t points = preview->points.size();
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        StitchPreviewPainter::paintTile(painter, QRectF(0, 0, 40, 40), preview, true, "DST",
                                        QPalette(Qt::white), QFont());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["runs"] = static_cast<double>(preview->runs.size());
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_DrawThumbnail40)->Unit(benchmark::kMicrosecond);

// The runs alone, without the tile around them.
void BM_DrawRuns32(benchmark::State& state) {
    static const auto preview = DSTReader::read(dst(sampleDesign(100'000, 12)));
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        StitchPreviewPainter::draw(*preview, painter, QSizeF(32, 32));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawRuns32)->Unit(benchmark::kMicrosecond);

void registerRealDesigns() {
    QString folder = qEnvironmentVariable("BOBBINLARK_REAL_DESIGNS");
    if (folder.isEmpty())
        folder = QStringLiteral(BOBBINLARK_SOURCE_DIR "/../shared/corpus");
    const QDir dir(folder);
    if (!dir.exists())
        return;
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files, QDir::Name)) {
        const QString extension = info.suffix().toLower();
        if (extension != u"dst" && extension != u"pes" && extension != u"pec" &&
            extension != u"phc")
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        const std::string name = "BM_ReadReal/" + info.fileName().toStdString();
        benchmark::RegisterBenchmark(name.c_str(), [bytes, extension](benchmark::State& state) {
            measure(
                state, bytes,
                [&extension](QByteArrayView view) { return PreviewReader::read(view, extension); },
                0);
        })->Unit(benchmark::kMicrosecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerRealDesigns();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
