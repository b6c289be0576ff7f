// Opening the panel with a full recent-sends log: time to the first paint, time until every
// visible thumbnail is drawn (previews not yet cached, and all cached), the memory the cards
// add, against the panel with an empty log; and the time to repaint one frame while scrolling.
// The designs are the real ones of ../shared/corpus (or $BOBBINLARK_REAL_DESIGNS), copied to a
// temporary folder so each run can make them new to the preview cache; without them the
// benchmarks skip.

#include "State/AppState.h"
#include "Support/Desktop/RelativeDate.h"
#include "Views/DesignThumbnail.h"
#include "Views/MainScreen.h"
#include "Views/RecentSendCard.h"
#include "Views/RecentSendsView.h"
#include "Views/Screen.h"
#include "support/TemporaryStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>

namespace {

struct Designs {
    QTemporaryDir dir;
    QList<QUrl> files;
};

// Fifty distinct design files made from the corpus; empty when it is missing.
Designs& designs() {
    static Designs made = [] {
        Designs result;
        QString folder = qEnvironmentVariable("BOBBINLARK_REAL_DESIGNS");
        if (folder.isEmpty())
            folder = QStringLiteral(BOBBINLARK_SOURCE_DIR "/../shared/corpus");
        QList<QFileInfo> sources;
        for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
            const QString extension = info.suffix().toLower();
            if (extension == u"dst" || extension == u"pes" || extension == u"phc")
                sources.append(info);
        }
        for (int i = 0; !sources.isEmpty() && i < RecentSends::sendLogLimit; ++i) {
            const QFileInfo& source = sources.at(i % sources.size());
            const QString copy =
                result.dir.filePath(QStringLiteral("%1 %2").arg(i).arg(source.fileName()));
            if (QFile::copy(source.filePath(), copy))
                result.files.append(QUrl::fromLocalFile(copy));
        }
        return result;
    }();
    return made;
}

QList<SendLogEntry> fullLog() {
    QList<SendLogEntry> log;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    int i = 0;
    for (const QUrl& url : designs().files) {
        const bool ok = i % 6 != 5;
        log.append(
            SendLogEntry{QUuid::createUuid(), SendLogEntry::dateFrom(now.addSecs(-i * 5000)),
                         QStringLiteral("Studio"), url, ok,
                         ok ? QString() : QStringLiteral("The machine refused the design.")});
        ++i;
    }
    return log;
}

// New modification times: the preview cache sees every file as a new version.
void makeDesignsNew() {
    static qint64 bump = 0;
    const QDateTime when = QDateTime::currentDateTime().addSecs(++bump);
    for (const QUrl& url : designs().files) {
        QFile file(url.toLocalFile());
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(when, QFileDevice::FileModificationTime);
    }
}

qint64 heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
}

// Records the first paint of a widget.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

RecentSendsView* recentsOf(MainScreen& screen) {
    return qobject_cast<RecentSendsView*>(screen.recentSends());
}

// The cards whose thumbnails should show now: those inside the list's viewport.
bool visibleThumbnailsDrawn(MainScreen& screen) {
    RecentSendsView* view = recentsOf(screen);
    // Cards just shown have their places once the list's layout has run (cards not yet shown
    // have none and are not in view).
    view->scrollArea()->widget()->layout()->activate();
    const QWidget* viewport = view->scrollArea()->viewport();
    const QRect seen(QPoint(0, view->scrollArea()->verticalScrollBar()->value()), viewport->size());
    for (RecentSendCard* card : view->cards()) {
        if (card->isVisible() && card->geometry().intersects(seen) &&
            !card->thumbnail()->isLoaded())
            return false;
    }
    return true;
}

struct Opening {
    double firstPaintMs = 0;
    double thumbnailsMs = 0;
    qint64 heapAdded = 0;    // every card built, the visible thumbnails loaded
    qint64 heapScrolled = 0; // and every thumbnail loaded, as after scrolling through
};

// Opens the panel over `log`, as the popover does, and waits for its first paint and its
// visible thumbnails. The panel stays open until `keep` is released.
Opening open(const QList<SendLogEntry>& log, std::unique_ptr<MainScreen>& keep,
             std::unique_ptr<AppState>& state, TemporaryStore& store) {
    state = std::make_unique<AppState>(store.open());
    state->recentSends().setSendLog(log);
    PaintWatch watch;
    Opening result;
    const qint64 heapBefore = heapInUse();
    QElapsedTimer timer;
    timer.start();
    keep = std::make_unique<MainScreen>(*state, [](const Screen&) {});
    keep->installEventFilter(&watch);
    keep->setFixedSize(360, 520);
    keep->show();
    while (!watch.painted)
        QCoreApplication::processEvents();
    result.firstPaintMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    while (!visibleThumbnailsDrawn(*keep))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents(); // the paint of the last thumbnail
    result.thumbnailsMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    RecentSendsView* view = recentsOf(*keep);
    while (view->cards().size() < log.size())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    result.heapAdded = heapInUse() - heapBefore;
    for (RecentSendCard* card : view->cards())
        card->showThumbnail();
    for (RecentSendCard* card : view->cards()) {
        while (!card->thumbnail()->isLoaded())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QCoreApplication::processEvents();
    result.heapScrolled = heapInUse() - heapBefore;
    keep->removeEventFilter(&watch);
    return result;
}

// Heap the fifty cards add, without and with every thumbnail loaded.
std::pair<qint64, qint64>& memoryAdded() {
    static std::pair<qint64, qint64> added;
    return added;
}

// Means per case, for the summary at the end.
std::map<std::string, Opening>& summary() {
    static std::map<std::string, Opening> means;
    return means;
}

void measureOpening(benchmark::State& state, const std::string& name, bool full, bool cached) {
    if (full && designs().files.isEmpty()) {
        state.SkipWithError("no real designs (../shared/corpus or $BOBBINLARK_REAL_DESIGNS)");
        return;
    }
    TemporaryStore store;
    const QList<SendLogEntry> log = full ? fullLog() : QList<SendLogEntry>{};
    {
        // The first opening of all also loads fonts, icons and the locale's date patterns.
        std::unique_ptr<MainScreen> screen;
        std::unique_ptr<AppState> appState;
        open(log, screen, appState, store);
    }
    Opening total;
    int64_t runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<MainScreen> screen;
        std::unique_ptr<AppState> appState;
        if (full && cached) {
            // Warm the cache with every card's preview once.
            open(log, screen, appState, store);
            for (RecentSendCard* card : recentsOf(*screen)->cards())
                card->showThumbnail();
            while (true) {
                bool all = true;
                for (RecentSendCard* card : recentsOf(*screen)->cards())
                    all = all && card->thumbnail()->isLoaded();
                if (all)
                    break;
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            }
            screen.reset();
            appState.reset();
        } else if (full) {
            makeDesignsNew();
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
        const Opening opened = open(log, screen, appState, store);
        state.SetIterationTime(opened.firstPaintMs / 1000);
        state.PauseTiming();
        screen.reset();
        appState.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
        total.firstPaintMs += opened.firstPaintMs;
        total.thumbnailsMs += opened.thumbnailsMs;
        total.heapAdded += opened.heapAdded;
        total.heapScrolled += opened.heapScrolled;
        ++runs;
    }
    if (runs == 0)
        return;
    const Opening mean{total.firstPaintMs / static_cast<double>(runs),
                       total.thumbnailsMs / static_cast<double>(runs), total.heapAdded / runs,
                       total.heapScrolled / runs};
    summary()[name] = mean;
    state.counters["first_paint_ms"] = mean.firstPaintMs;
    state.counters["thumbnails_ms"] = mean.thumbnailsMs;
}

// The memory the cards add: the panel over fifty designs new to the preview cache, every card
// built and every thumbnail loaded, against the panel with an empty log. Runs first, while the
// cache is fresh.
void BM_MemoryOfFiftyCards(benchmark::State& state) {
    if (designs().files.isEmpty()) {
        state.SkipWithError("no real designs (../shared/corpus or $BOBBINLARK_REAL_DESIGNS)");
        return;
    }
    TemporaryStore store;
    for (auto _ : state) {
        std::unique_ptr<MainScreen> screen;
        std::unique_ptr<AppState> appState;
        const Opening empty = open({}, screen, appState, store);
        screen.reset();
        appState.reset();
        makeDesignsNew();
        const Opening full = open(fullLog(), screen, appState, store);
        state.counters["cards_MB"] = static_cast<double>(full.heapAdded - empty.heapAdded) / 1e6;
        state.counters["with_thumbnails_MB"] =
            static_cast<double>(full.heapScrolled - empty.heapAdded) / 1e6;
        memoryAdded() = {full.heapAdded - empty.heapAdded, full.heapScrolled - empty.heapAdded};
    }
}
BENCHMARK(BM_MemoryOfFiftyCards)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_OpenPanelEmptyLog(benchmark::State& state) {
    measureOpening(state, "empty", false, false);
}
BENCHMARK(BM_OpenPanelEmptyLog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_OpenPanel50Uncached(benchmark::State& state) {
    measureOpening(state, "uncached", true, false);
}
BENCHMARK(BM_OpenPanel50Uncached)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_OpenPanel50Cached(benchmark::State& state) {
    measureOpening(state, "cached", true, true);
}
BENCHMARK(BM_OpenPanel50Cached)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// One frame of scrolling: move the list by a few pixels and paint the frame, as the event loop
// does (Qt moves what was drawn and paints only the strip that came into view). With
// `repaintAll`, the whole list is drawn afresh each frame: the frame's upper bound.
void scrollFrames(benchmark::State& state, bool repaintAll) {
    if (designs().files.isEmpty()) {
        state.SkipWithError("no real designs (../shared/corpus or $BOBBINLARK_REAL_DESIGNS)");
        return;
    }
    TemporaryStore store;
    std::unique_ptr<MainScreen> screen;
    std::unique_ptr<AppState> appState;
    open(fullLog(), screen, appState, store);
    QScrollArea* list = recentsOf(*screen)->scrollArea();
    QScrollBar* bar = list->verticalScrollBar();
    // Every card built and every thumbnail loaded: the frames measure drawing alone.
    while (recentsOf(*screen)->cards().size() < designs().files.size())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    for (RecentSendCard* card : recentsOf(*screen)->cards())
        card->showThumbnail();
    for (RecentSendCard* card : recentsOf(*screen)->cards()) {
        while (!card->thumbnail()->isLoaded())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QCoreApplication::processEvents();
    int step = 12;
    for (auto _ : state) {
        if (bar->value() + step > bar->maximum() || bar->value() + step < 0)
            step = -step;
        QElapsedTimer timer;
        timer.start();
        bar->setValue(bar->value() + step);
        if (repaintAll)
            list->viewport()->repaint();
        else
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_ScrollFrame(benchmark::State& state) {
    scrollFrames(state, false);
}
BENCHMARK(BM_ScrollFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(400);

void BM_ScrollFrameRepaintAll(benchmark::State& state) {
    scrollFrames(state, true);
}
BENCHMARK(BM_ScrollFrameRepaintAll)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(400);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Once per process: ICU builds the locale's date patterns on first use.
    QElapsedTimer patterns;
    patterns.start();
    const QString day = RelativeDate::monthAndDay(QDate(2024, 3, 4));
    const double patternsMs = static_cast<double>(patterns.nsecsElapsed()) / 1e6;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("heap added by 50 cards: %.2f MB, %.2f MB with every thumbnail loaded\n",
                static_cast<double>(memoryAdded().first) / 1e6,
                static_cast<double>(memoryAdded().second) / 1e6);
    std::printf("first date of the process (\"%s\", ICU's patterns): %.1f ms\n", qPrintable(day),
                patternsMs);
    const auto& means = summary();
    if (means.count("empty") && means.count("uncached") && means.count("cached")) {
        const Opening& empty = means.at("empty");
        for (const char* name : {"uncached", "cached"}) {
            const Opening& full = means.at(name);
            std::printf("50 cards, %s: first paint %.2f ms = %.2fx the empty panel's (%.2f ms); "
                        "visible thumbnails drawn at %.1f ms\n",
                        name, full.firstPaintMs, full.firstPaintMs / empty.firstPaintMs,
                        empty.firstPaintMs, full.thumbnailsMs);
        }
    }
    return 0;
}
