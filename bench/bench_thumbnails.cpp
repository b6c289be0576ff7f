// Drawing thumbnails in process, at the sizes file managers ask for and at card size: a big real
// design three times over (the peacock of ../shared/corpus or $BOBBINLARK_REAL_DESIGNS, when
// there) and a 3 MB design of stitches that each cross it. bench/thumbnailer_bench.sh times
// the thumbnailer program as a whole.

#include "BenchDesigns.h"
#include "Designs/DSTReader.h"
#include "Designs/PECReader.h"
#include "Designs/StitchPreview.h"
#include "Support/Drawing/StitchPreviewPainter.h"

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <benchmark/benchmark.h>

#include <string>

namespace {

void drawTile(benchmark::State& state, const StitchPreview& preview) {
    const int side = static_cast<int>(state.range(0));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    StitchPreviewPainter::Stats stats;
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.translate(side * 0.1, side * 0.1);
        stats = StitchPreviewPainter::draw(preview, painter, QSizeF(side * 0.8, side * 0.8));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["segments"] = static_cast<double>(stats.segments);
    state.counters["drawn"] = static_cast<double>(stats.drawn);
    state.counters["hidden"] = static_cast<double>(stats.hidden);
    state.counters["over budget"] = static_cast<double>(stats.overBudget);
    state.counters["work"] = static_cast<double>(stats.work);
    state.counters["budget"] = static_cast<double>(stats.budget);
}

void registerDesign(const std::string& name, const std::optional<StitchPreview>& preview) {
    if (!preview)
        return;
    benchmark::RegisterBenchmark(("BM_DrawTile/" + name).c_str(),
                                 [preview](benchmark::State& state) { drawTile(state, *preview); })
        ->Arg(40)
        ->Arg(128)
        ->Arg(256)
        ->Arg(512)
        ->Arg(1024)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString folder = qEnvironmentVariable("BOBBINLARK_REAL_DESIGNS");
    if (folder.isEmpty())
        folder = QStringLiteral(BOBBINLARK_SOURCE_DIR "/../shared/corpus");
    QFile peacock(folder + QStringLiteral("/JulieStenning__01Peacock.dst"));
    if (peacock.open(QIODevice::ReadOnly))
        registerDesign("peacock-x3",
                       DSTReader::read(BenchDesigns::repeatedDST(peacock.readAll(), 3)));
    registerDesign("crossing", PECReader::readPESOrPEC(BenchDesigns::crossingPEC()));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
