// Stitch previews: the builder and its simplification, the DST, PES, PEC and PHC readers, the
// preview cache and the thumbnail drawing. Design files come from tests/support/StitchWriters.

#include "Designs/DSTReader.h"
#include "Designs/PECReader.h"
#include "Designs/PreviewCache.h"
#include "Designs/PreviewReader.h"
#include "Designs/SizeWarning.h"
#include "Designs/StitchPreview.h"
#include "Networking/BrotherAPIClient.h"
#include "Support/Drawing/StitchPreviewPainter.h"
#include "Views/DesignThumbnail.h"
#include "support/Files.h"
#include "support/StitchWriters.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <set>

using namespace StitchWriters;
using Point = StitchPreview::Point;
using Run = StitchPreview::Run;

namespace {

constexpr std::uint32_t red = 0xED171F; // PEC palette entry 5

// The colours of designs that name none.
const std::vector<std::uint32_t> defaultColors{0x2F5DA8, 0xD9475A, 0x2E9E6B,
                                               0xE8A33D, 0x7A4FB5, 0x2B2B2B};

std::vector<Point> points(std::initializer_list<std::pair<std::int32_t, std::int32_t>> list) {
    std::vector<Point> out;
    for (const auto& [x, y] : list)
        out.push_back({x, y});
    return out;
}

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray out;
    for (const int byte : list)
        out.append(static_cast<char>(byte));
    return out;
}

QByteArray dstWithRecords(const QByteArray& records, const QByteArray& headerText = {}) {
    QByteArray header = headerText;
    header = header.leftJustified(512, ' ', true);
    return header + records;
}

// What a reader must produce for `commands`: the same events fed to a builder directly.
std::optional<StitchPreview> expected(const std::vector<Command>& commands,
                                      std::vector<std::uint32_t> palette) {
    StitchPreview::Builder builder(std::move(palette));
    for (const Command& command : commands) {
        if (command.kind == Kind::stitch)
            builder.addStitch(command.dx, command.dy);
        else if (command.kind == Kind::jump)
            builder.jump(command.dx, command.dy);
        else
            builder.changeColor(command.dx, command.dy);
    }
    return builder.finish();
}

QString describe(const std::optional<StitchPreview>& preview) {
    if (!preview)
        return QStringLiteral("none");
    QString text = QStringLiteral("bounds %1,%2 %3x%4;")
                       .arg(preview->bounds.x)
                       .arg(preview->bounds.y)
                       .arg(preview->bounds.width)
                       .arg(preview->bounds.height);
    for (const Run& run : preview->runs) {
        text += QStringLiteral(" %1:").arg(run.color, 6, 16, QChar(u'0'));
        for (const Point& point : preview->pointsOf(run))
            text += QStringLiteral("(%1,%2)").arg(point.x).arg(point.y);
    }
    return text;
}

std::vector<Point> toVector(std::span<const Point> points) {
    return {points.begin(), points.end()};
}

QImage render(const StitchPreview& preview, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    StitchPreviewPainter::draw(preview, painter, QSizeF(side, side));
    painter.end();
    return image;
}

// Stitches that each cross the whole 2000-unit design from one side to the other, at heights
// from a fixed pseudo-random sequence, so that none repeats another.
std::vector<Command> crossingStitches(int count) {
    std::vector<Command> commands;
    std::uint32_t state = 2463534242u;
    int x = 0;
    int y = 0;
    for (int i = 0; i < count; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const int nextX = x == 0 ? 2000 : 0;
        const int nextY = static_cast<int>(state % 2001);
        commands.push_back(stitch(nextX - x, nextY - y));
        x = nextX;
        y = nextY;
    }
    return commands;
}

StitchPreviewPainter::Stats renderStats(const StitchPreview& preview, QImage& image) {
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const auto stats =
        StitchPreviewPainter::draw(preview, painter, QSizeF(image.width(), image.height()));
    painter.end();
    return stats;
}

} // namespace

class TestPreviews : public QObject {
    Q_OBJECT

private slots:
    // --- builder ---------------------------------------------------------------------------

    void simplificationKeepsEndsAndDropsWhatCannotBeSeen() {
        const auto simplified = [](std::vector<Point> run, double tolerance) {
            return StitchPreview::simplified(run, tolerance);
        };
        QCOMPARE(simplified(points({{0, 0}, {1, 0}, {2, 0}, {100, 0}}), 5),
                 points({{0, 0}, {100, 0}}));
        const std::vector<Point> shortRun = points({{0, 0}, {1, 0}, {2, 0}});
        QCOMPARE(simplified(shortRun, 5), points({{0, 0}, {2, 0}}));
        QCOMPARE(simplified(shortRun, 0), shortRun);
        QCOMPARE(simplified(shortRun, -1), shortRun);
        const std::vector<Point> twoPoints = points({{0, 0}, {1, 0}});
        QCOMPARE(simplified(twoPoints, 5), twoPoints);
        // Per axis: a point far enough on either axis stays, however close on the other.
        QCOMPARE(simplified(points({{0, 0}, {4, 4}, {5, 1}, {6, 10}, {7, 10}}), 5),
                 points({{0, 0}, {5, 1}, {6, 10}, {7, 10}}));
    }

    void designsWithoutStitchesOrExtentHaveNoPreview() {
        QVERIFY(!expected({jump(10, 10), colorChange(), jump(5, 0)}, {}));
        QVERIFY(
            !expected({stitch(0, 0), stitch(0, 0), jump(4, 4), jump(-4, -4), stitch(0, 0)}, {}));
        // Each run a single spot, but the spots lie apart: that is extent.
        const auto spots = expected({stitch(0, 0), jump(4, 4), stitch(0, 0)}, {});
        QVERIFY(spots);
        QCOMPARE(spots->bounds, (StitchPreview::Rect{0, 0, 4, 4}));

        const auto line = expected({stitch(10, 0), stitch(10, 0)}, {});
        QVERIFY(line);
        QCOMPARE(line->bounds, (StitchPreview::Rect{0, 0, 20, 0}));
    }

    void jumpsKeepTheColourAndChangesAdvanceIt() {
        const std::vector<std::uint32_t> palette{0x111111, 0x222222, 0x333333,
                                                 0x444444, 0x555555, 0x666666};
        const auto preview = expected(
            {stitch(5, 0), jump(0, 5), stitch(5, 0), colorChange(), stitch(0, 5)}, palette);
        QVERIFY(preview);
        QCOMPARE(preview->runs.size(), 3u);
        QCOMPARE(preview->runs[0].color, 0x111111u);
        QCOMPARE(preview->runs[1].color, 0x111111u);
        QCOMPARE(preview->runs[2].color, 0x222222u);
        QCOMPARE(toVector(preview->pointsOf(preview->runs[1])), points({{5, 5}, {10, 5}}));

        // The seventh colour block takes the first colour again.
        std::vector<Command> blocks;
        for (int block = 0; block < 7; ++block) {
            if (block > 0)
                blocks.push_back(colorChange());
            blocks.push_back(stitch(3, 3));
        }
        const auto cycled = expected(blocks, palette);
        QVERIFY(cycled);
        QCOMPARE(cycled->runs.size(), 7u);
        QCOMPARE(cycled->runs[5].color, 0x666666u);
        QCOMPARE(cycled->runs[6].color, 0x111111u);

        // An empty palette falls back to the default one.
        const auto fallback = expected({stitch(1, 1)}, {});
        QVERIFY(fallback);
        QCOMPARE(fallback->runs[0].color, defaultColors[0]);
    }

    void boundsHoldRunStartsButNotJumpTargets() {
        // A jump far out and back draws nothing there; the next run starts at (10, 0).
        const auto preview =
            expected({jump(-500, -500), jump(510, 500), stitch(5, 5), jump(100, 100)}, {});
        QVERIFY(preview);
        QCOMPARE(preview->bounds, (StitchPreview::Rect{10, 0, 5, 5}));
        QCOMPARE(preview->pointsOf(preview->runs[0]).front(), (Point{10, 0}));
    }

    void finishThinsRunsToOneTwoHundredthOfTheLargerSide() {
        std::vector<Command> commands;
        for (int i = 0; i < 400; ++i)
            commands.push_back(stitch(1, 0));
        const auto preview = expected(commands, {});
        QVERIFY(preview);
        QCOMPARE(preview->bounds.width, 400.0);
        // Tolerance 2: every other point of the 401 stays.
        QCOMPARE(preview->pointsOf(preview->runs[0]).size(), 201u);
        QCOMPARE(preview->pointsOf(preview->runs[0]).back(), (Point{400, 0}));

        // A real design of 45,408 stitches, far past the bound previews once had, keeps the
        // points an independent reading of the rules finds.
        QFile peacock(QStringLiteral(BOBBINLARK_CORPUS_DIR "/JulieStenning__01Peacock.dst"));
        if (!peacock.open(QIODevice::ReadOnly))
            QSKIP("no corpus of real designs beside the project");
        const auto real = DSTReader::read(peacock.readAll());
        QVERIFY(real);
        QCOMPARE(real->points.size(), 39'556u);
    }

    void aPreviewKnowsItsSizeStitchesAndColours() {
        // Stitches count before thinning; a colour block without stitches is no colour.
        const auto preview = expected({stitch(10, 0), jump(5, 5), stitch(10, 0), colorChange(),
                                       stitch(0, 30), colorChange(), colorChange(), jump(1, 1)},
                                      {});
        QVERIFY(preview);
        QCOMPARE(preview->stitchCount, 3);
        QCOMPARE(preview->colorCount, 2);
        QCOMPARE(preview->sizeMM(), (StitchPreview::Size{2.5, 3.5})); // tenths of a millimetre
        // Blocks count as threaded, not as the palette repeats them.
        std::vector<Command> blocks;
        for (int block = 0; block < 8; ++block)
            blocks.insert(blocks.end(), {stitch(300, 0), colorChange()});
        const auto cycled = expected(blocks, {});
        QVERIFY(cycled);
        QCOMPARE(cycled->colorCount, 8);
        QCOMPARE(SizeWarning::sizeText(cycled->sizeMM()), QStringLiteral("240 × 0 mm"));

        // Fits as it is or turned, to the tenth; the same size is still a fit.
        const StitchPreview::Size rose{280, 200};
        QVERIFY(SizeWarning::fits(rose, 280, 200));
        QVERIFY(SizeWarning::fits(rose, 200, 280));
        QVERIFY(!SizeWarning::fits(rose, 279.9, 279.9));
        QVERIFY(!SizeWarning::fits(rose, 260, 160));
        MachineInfo studio;
        studio.embroideryWidthMM = 260;
        QCOMPARE(SizeWarning::text("ROSE.DST", rose, "Studio", studio), std::nullopt);
        studio.embroideryHeightMM = 160;
        QCOMPARE(SizeWarning::text("ROSE.DST", rose, "Studio", studio),
                 std::optional<QString>(
                     "ROSE.DST is 280 × 200 mm, larger than Studio's 260 × 160 mm area."));
    }

    void aLargeDesignFollowsTheRulesExactly_data() {
        QTest::addColumn<int>("runLength"); // each 3-point run's last move, in design units
        // Tiny runs all over a large design; runs as long as the design is wide.
        QTest::newRow("tiny runs") << 3;
        QTest::newRow("long runs") << 2000;
    }

    // A design of 120,000 colour runs (well under the size a machine takes, its preview many
    // times 512 KB) keeps every run, each thinned by the design's own tolerance and no more.
    void aLargeDesignFollowsTheRulesExactly() {
        QFETCH(int, runLength);
        std::vector<Command> commands;
        StitchPreview rules;
        const std::vector<std::uint32_t> palette{StitchPreview::pecPalette()[5],
                                                 StitchPreview::pecPalette()[6],
                                                 StitchPreview::pecPalette()[7]};
        int x = 0;
        int y = 0;
        for (int i = 0; i < 120'000; ++i) {
            commands.push_back(colorChange());
            // Rows of 100 runs 20 units apart, 40 rows 50 units apart, again and again.
            if (i % 100 == 0 && i > 0) {
                const int down = (i / 100) % 40 == 0 ? -1950 : 50;
                commands.push_back(jump(-2000, down));
                x -= 2000;
                y += down;
            }
            // The middle point moved 1 unit, under the tolerance of 2000 / 200: it goes.
            commands.push_back(stitch(1, 0));
            commands.push_back(stitch(runLength, 0));
            rules.addRun(palette[static_cast<std::size_t>(i + 1) % 3],
                         points({{x, y}, {x + 1 + runLength, y}}));
            commands.push_back(jump(19 - runLength, 0));
            x += 20;
        }
        const QByteArray file = pec({5, 6, 7}, pecStitchBytes(commands));
        QVERIFY(file.size() < BrotherAPIClient::defaultMaxUploadBytes);
        const std::optional<StitchPreview> preview = PECReader::readPESOrPEC(file);
        QVERIFY(preview);
        QVERIFY(preview->byteSize() > 512 * 1024);
        QCOMPARE(preview->runs.size(), rules.runs.size());
        QVERIFY(preview->runs == rules.runs);
        QVERIFY(preview->points == rules.points);
        QCOMPARE(preview->stitchCount, 240'000);
    }

    // --- DST -------------------------------------------------------------------------------

    void dstTooShortOrEndingAtOnceHasNoPreview() {
        QVERIFY(!DSTReader::read(dstWithRecords({})));
        QVERIFY(!DSTReader::read(dstWithRecords(bytes({0x00, 0x00, 0xF3}))));
        QVERIFY(!DSTReader::read(QByteArray(100, 'x')));
    }

    void dstBitTable_data() {
        QTest::addColumn<int>("b0");
        QTest::addColumn<int>("b1");
        QTest::addColumn<int>("b2");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        const struct {
            const char* name;
            int b0, b1, b2, dx, dy;
        } rows[] = {
            {"b0.0 x+1", 0x01, 0, 0, 1, 0},           {"b0.1 x-1", 0x02, 0, 0, -1, 0},
            {"b0.2 x+9", 0x04, 0, 0, 9, 0},           {"b0.3 x-9", 0x08, 0, 0, -9, 0},
            {"b1.0 x+3", 0, 0x01, 0, 3, 0},           {"b1.1 x-3", 0, 0x02, 0, -3, 0},
            {"b1.2 x+27", 0, 0x04, 0, 27, 0},         {"b1.3 x-27", 0, 0x08, 0, -27, 0},
            {"b2.2 x+81", 0, 0, 0x04, 81, 0},         {"b2.3 x-81", 0, 0, 0x08, -81, 0},
            {"b0.7 y-1", 0x80, 0, 0, 0, -1},          {"b0.6 y+1", 0x40, 0, 0, 0, 1},
            {"b0.5 y-9", 0x20, 0, 0, 0, -9},          {"b0.4 y+9", 0x10, 0, 0, 0, 9},
            {"b1.7 y-3", 0, 0x80, 0, 0, -3},          {"b1.6 y+3", 0, 0x40, 0, 0, 3},
            {"b1.5 y-27", 0, 0x20, 0, 0, -27},        {"b1.4 y+27", 0, 0x10, 0, 0, 27},
            {"b2.5 y-81", 0, 0, 0x20, 0, -81},        {"b2.4 y+81", 0, 0, 0x10, 0, 81},
            {"all plus", 0x55, 0x55, 0x14, 121, 121},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.b0 << row.b1 << row.b2 << row.dx << row.dy;
    }

    void dstBitTable() {
        QFETCH(int, b0);
        QFETCH(int, b1);
        QFETCH(int, b2);
        QFETCH(int, dx);
        QFETCH(int, dy);
        // Preceded by a known stitch so that a pure-y move still has extent.
        const auto preview = DSTReader::read(
            dstWithRecords(bytes({0x01, 0x01, 0x03, b0, b1, b2 | 0x03, 0x00, 0x00, 0xF3})));
        QVERIFY(preview);
        QCOMPARE(preview->runs.size(), 1u);
        QCOMPARE(preview->pointsOf(preview->runs[0]).back(), (Point{4 + dx, 0 + dy}));
    }

    void dstRecordKinds() {
        // 01 00 03 then the end: one run from (0,0) to (1,0); 80 00 03 moves up to (0,-1).
        auto preview = DSTReader::read(dstWithRecords(bytes({1, 0, 3, 0, 0, 0xF3})));
        QVERIFY(preview);
        QCOMPARE(describe(preview), QStringLiteral("bounds 0,0 1x0; 2f5da8:(0,0)(1,0)"));
        preview = DSTReader::read(dstWithRecords(bytes({0x80, 0, 3})));
        QCOMPARE(describe(preview), QStringLiteral("bounds 0,-1 0x1; 2f5da8:(0,0)(0,-1)"));

        // C3 ends the run and advances the colour, with its displacement; 83 and 43 end the
        // run without advancing it.
        preview = DSTReader::read(dstWithRecords(
            bytes({1, 0, 3, 1, 0, 0xC3, 1, 0, 3, 1, 0, 0x83, 1, 0, 3, 1, 0, 0x43, 1, 0, 3})));
        QCOMPARE(describe(preview), QStringLiteral("bounds 0,0 7x0; 2f5da8:(0,0)(1,0) "
                                                   "d9475a:(2,0)(3,0) d9475a:(4,0)(5,0) "
                                                   "d9475a:(6,0)(7,0)"));

        // Records after the end are not read; a trailing partial record is ignored.
        preview = DSTReader::read(
            dstWithRecords(bytes({1, 0, 3, 0, 0, 0xF3, 0x04, 0x04, 0x07}) + QByteArray(2, 1)));
        QCOMPARE(describe(preview), QStringLiteral("bounds 0,0 1x0; 2f5da8:(0,0)(1,0)"));
        preview = DSTReader::read(dstWithRecords(bytes({1, 0, 3, 1, 0})));
        QCOMPARE(describe(preview), QStringLiteral("bounds 0,0 1x0; 2f5da8:(0,0)(1,0)"));
    }

    void dstHeaderColours() {
        const auto first = [](const QStringList& lines) -> std::uint32_t {
            const auto preview = DSTReader::read(dst({stitch(5, 5)}, lines));
            return preview ? preview->runs[0].color : 0xFFFFFFFF;
        };
        QCOMPARE(first({"TC #FF0000,Red,Brand"}), 0xFF0000u);
        QCOMPARE(first({"  \tTC#1a2b3c,Thread"}), 0x1A2B3Cu);
        QCOMPARE(first({"TC#ABCDEF12"}), 0xABCDEFu); // at most six digits
        QCOMPARE(first({"TC#12"}), 0x12u);
        // Lines that name no colour are skipped, the next one counts.
        QCOMPARE(first({"TC#zz0000,Bad", "TC#", "TC 00FF00", "XTC#0000FF", "TC#00ff00"}),
                 0x00FF00u);
        QCOMPARE(first({"TC #GG0000,not hex"}), defaultColors[0]);
        QCOMPARE(first({}), defaultColors[0]);

        const auto two = DSTReader::read(
            dst({stitch(5, 5), colorChange(), stitch(5, 5), colorChange(), stitch(5, 5)},
                {"TC#111111", "TC#222222"}));
        QVERIFY(two);
        QCOMPARE(two->runs[1].color, 0x222222u);
        QCOMPARE(two->runs[2].color, 0x111111u); // the header's colours cycle
    }

    void dstWriterRoundTrip() {
        std::vector<Command> commands;
        for (int i = -121; i <= 121; i += 11)
            commands.push_back(stitch(i, -i / 2));
        commands.push_back(jump(121, -121));
        commands.push_back(stitch(-7, 40));
        commands.push_back(colorChange(13, -13));
        commands.push_back(stitch(100, 3));
        const auto read = DSTReader::read(dst(commands));
        QVERIFY(read);
        QCOMPARE(describe(read), describe(expected(commands, defaultColors)));
        QCOMPARE(DSTReader::read(dst(commands, {}, false)), read); // no end record
    }

    // --- PES and PEC -----------------------------------------------------------------------

    void pecForms() {
        // 0A 00: stitch (10,0); 91 00 10: jump dx +256 (trim flag) dy 16; 10 70: stitch
        // (+16,-16); FE B0 02: colour change; 00 0A: stitch (0,10); 8F FF 88 00: long stitch
        // (-1,-2048) without flags.
        const QByteArray stitches = bytes({0x0A, 0x00, 0x91, 0x00, 0x10, 0x10, 0x70, 0xFE, 0xB0,
                                           0x02, 0x00, 0x0A, 0x8F, 0xFF, 0x88, 0x00, 0xFF, 0x00});
        const auto preview = PECReader::readPESOrPEC(pec({70, 13}, stitches));
        QCOMPARE(describe(preview),
                 QStringLiteral("bounds 0,-2038 282x2054; ed171f:(0,0)(10,0) "
                                "ed171f:(266,16)(282,0) ffff00:(282,0)(281,-2038)"));
        // (282,10) moved less than the tolerance 2054 / 200 from (282,0), so it was dropped.
    }

    void pecMarkersAndTruncation() {
        // FE 00 is no marker: a long form with both flags set, so a jump of (-512, 5).
        auto preview = PECReader::readPESOrPEC(
            pec({5}, bytes({0x05, 0x00, 0xFE, 0x00, 0x05, 0x05, 0x00, 0xFF, 0x00})));
        QCOMPARE(describe(preview),
                 QStringLiteral("bounds -507,0 512x5; ed171f:(0,0)(5,0) ed171f:(-507,5)(-502,5)"));
        // FF 01 is no end either: a jump of (-255, 1); the data then ends mid-coordinate and
        // the stitches read so far make the preview.
        preview =
            PECReader::readPESOrPEC(pec({5}, bytes({0x05, 0x00, 0xFF, 0x01, 0x01, 0x03, 0x9F})));
        QCOMPARE(describe(preview), QStringLiteral("bounds 0,0 5x0; ed171f:(0,0)(5,0)"));
        // A colour change that is the last thing in the file ends it cleanly.
        preview = PECReader::readPESOrPEC(pec({5}, bytes({0x05, 0x00, 0xFE, 0xB0})));
        QCOMPARE(describe(preview), QStringLiteral("bounds 0,0 5x0; ed171f:(0,0)(5,0)"));
        // Only jumps: nothing.
        QVERIFY(!PECReader::readPESOrPEC(pec({5}, pecStitchBytes({jump(50, 50)}))));
    }

    void pecPaletteIsTakenModulo65() {
        const auto preview = PECReader::readPESOrPEC(pec(
            {5, 70, 255, 64},
            pecStitchBytes({stitch(5, 5), colorChange(), stitch(5, 5), colorChange(), stitch(5, 5),
                            colorChange(), stitch(5, 5), colorChange(), stitch(5, 5)})));
        QVERIFY(preview);
        QCOMPARE(preview->runs.size(), 5u);
        QCOMPARE(preview->runs[0].color, red);
        QCOMPARE(preview->runs[1].color, red);
        QCOMPARE(preview->runs[2].color, 0xF0F970u); // entry 255 % 65 = 60
        QCOMPARE(preview->runs[3].color, 0xFFC8C8u);
        QCOMPARE(preview->runs[4].color, red);
        QCOMPARE(StitchPreview::pecPalette()[60], 0xF0F970u);
    }

    void pecWriterRoundTrip() {
        const std::vector<Command> commands = sampleDesign(3000, 4);
        const auto read = PECReader::readPESOrPEC(pec({1, 2, 3, 4}, pecStitchBytes(commands)));
        QVERIFY(read);
        const std::vector<std::uint32_t> palette{0x0E1F7C, 0x0A55A3, 0x008777, 0x4B6BAF};
        QCOMPARE(read, expected(commands, palette));
        QCOMPARE(read->runs.back().color, palette[3]);
    }

    void pecSectionBounds() {
        const QByteArray good = pec({5}, pecStitchBytes({stitch(5, 5)}));
        QVERIFY(PECReader::readPESOrPEC(good));
        // The colour count byte at +48 must exist, and so must every colour byte it promises.
        QVERIFY(!PECReader::readPESOrPEC(good.first(8 + 48)));
        QByteArray promised = good.first(8 + 49);
        promised[8 + 48] = 3;
        promised += bytes({1, 2, 3});
        QVERIFY(!PECReader::readPESOrPEC(promised));
        promised += bytes({4});
        QVERIFY(!PECReader::readPESOrPEC(promised)); // complete list but no stitches
    }

    void pesSectionOffset() {
        const QByteArray stitches = pecStitchBytes({stitch(8, 0), stitch(0, 8)});
        const auto far = PECReader::readPESOrPEC(pes({5}, stitches, 8192));
        QVERIFY(far);
        QCOMPARE(describe(far), QStringLiteral("bounds 0,0 8x8; ed171f:(0,0)(8,0)(8,8)"));
        QCOMPARE(far, PECReader::readPESOrPEC(pec({5}, stitches)));

        // Offsets past the end, including ones that would wrap a 32-bit sum.
        QByteArray broken = pes({5}, stitches, 64);
        for (const std::uint32_t offset :
             {0xFFFFFFFFu, 0xFFFFFFD0u, 0x7FFFFFFFu, std::uint32_t(broken.size())}) {
            QByteArray copy = broken;
            for (int i = 0; i < 4; ++i)
                copy[8 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
            QVERIFY2(!PECReader::readPESOrPEC(copy), qPrintable(QString::number(offset)));
        }
    }

    void magicDecidesOverExtension() {
        QTemporaryDir dir;
        const QByteArray stitches = pecStitchBytes({stitch(8, 0), stitch(0, 8)});
        const auto readAs = [&dir](const QString& name, const QByteArray& contents) {
            const QString path = dir.filePath(name);
            if (!writeFile(path, contents))
                qFatal("cannot write test design");
            return PreviewReader::read(QUrl::fromLocalFile(path));
        };
        const auto reference = PECReader::readPESOrPEC(pec({5}, stitches));
        QVERIFY(reference);
        QCOMPARE(readAs("pec-inside.pes", pec({5}, stitches)), reference);
        QCOMPARE(readAs("pes-inside.pec", pes({5}, stitches)), reference);
        QCOMPARE(readAs("UPPER.PES", pes({5}, stitches)), reference);
        QVERIFY(!readAs("neither.pec", "#PXX0001" + pec({5}, stitches).mid(8)));
        QVERIFY(!readAs("short.pes", "#PEC0001abcd"));
        QVERIFY(!readAs("design.txt", pec({5}, stitches)));
        QVERIFY(!readAs("noextension", pec({5}, stitches)));
        // A PEC file named .dst is read as DST: its bytes decode to something else or nothing,
        // never to the PEC design.
        QVERIFY(readAs("wrong.dst", pec({5}, stitches)) != reference);
        QVERIFY(!PreviewReader::read(QUrl::fromLocalFile(dir.filePath("missing.pes"))));
        QVERIFY(QDir(dir.path()).mkdir("folder.pes"));
        QVERIFY(!PreviewReader::read(QUrl::fromLocalFile(dir.filePath("folder.pes"))));
        QVERIFY(!PreviewReader::read(QUrl("https://example.invalid/design.pes")));
    }

    // --- PHC -------------------------------------------------------------------------------

    void phcReadsThroughItsOffsets() {
        const std::vector<Command> commands{stitch(10, 0), colorChange(), stitch(0, 10)};
        const auto preview = PECReader::readPHC(phc({70, 13}, pecStitchBytes(commands)));
        QCOMPARE(describe(preview),
                 QStringLiteral("bounds 0,0 10x10; ed171f:(0,0)(10,0) ffff00:(10,0)(10,10)"));
        // Other lengths along the chain lead to the same data.
        QCOMPARE(PECReader::readPHC(
                     phc({70, 13}, pecStitchBytes(commands), PhcLayout{200, 300, 70000, 255})),
                 preview);
        // No colours: the default palette.
        const auto plain = PECReader::readPHC(phc({}, pecStitchBytes(commands)));
        QVERIFY(plain);
        QCOMPARE(plain->runs[0].color, defaultColors[0]);
    }

    void phcOffsetsPastTheEndHaveNoPreview() {
        const QByteArray stitches = pecStitchBytes({stitch(10, 10)});
        QVERIFY(!PECReader::readPHC(QByteArray(78, '\0')));
        const QByteArray good = phc({5}, stitches);
        QVERIFY(PECReader::readPHC(good));
        const auto u16 = [](const QByteArray& b, qsizetype at) {
            return qsizetype(quint8(b[at])) | qsizetype(quint8(b[at + 1])) << 8;
        };
        const qsizetype base = u16(good, 48) + quint8(good[43]);
        const qsizetype q = base + 2 + u16(good, base);
        // Each length of the chain made to point past the end, including sums that would wrap
        // in 32 bits.
        for (const qsizetype at : {base, q}) {
            for (const quint32 length : {0xFFFFu, 0xFFFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFC0u}) {
                if (at == base && length > 0xFFFF)
                    continue;
                QByteArray broken = good;
                for (int i = 0; i < (at == base ? 2 : 4); ++i)
                    broken[at + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
                QVERIFY2(!PECReader::readPHC(broken),
                         qPrintable(QStringLiteral("%1 at %2").arg(length).arg(at)));
            }
        }
        QVERIFY(!PECReader::readPHC(good.first(q + 3)));
        // The base itself past the end.
        QByteArray baseOut = phc({5}, stitches);
        baseOut[48] = static_cast<char>(0xFF);
        baseOut[49] = static_cast<char>(0xFF);
        QVERIFY(!PECReader::readPHC(baseOut));
        // The gap byte sends the start past the end: no stitches, no preview.
        QByteArray gapOut = phc({5}, stitches);
        QVERIFY(!PECReader::readPHC(gapOut.first(gapOut.size() - stitches.size() - 10)));
        // A colour count beyond the file only uses the bytes that exist.
        QByteArray manyColours = phc({5}, stitches);
        manyColours[77] = static_cast<char>(0xFF);
        manyColours[78] = static_cast<char>(0xFF);
        QVERIFY(PECReader::readPHC(manyColours));
    }

    // --- cache -----------------------------------------------------------------------------

    void cacheDecodesEachFileVersionOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath("design.dst");
        QVERIFY(writeFile(path, dst({stitch(10, 0), stitch(0, 10)})));
        std::atomic<int> decodes = 0;
        PreviewCache cache([&decodes](const QUrl& url) {
            ++decodes;
            return PreviewReader::read(url);
        });

        const auto first = QCoro::waitFor(cache.preview(QUrl::fromLocalFile(path)));
        QVERIFY(first);
        QCOMPARE(decodes.load(), 1);
        // The same file through "." and ".." is the same entry, even through a folder that
        // does not exist.
        const QUrl dotted = QUrl::fromLocalFile(dir.path() + "/./sub/../design.dst");
        QCOMPARE(QCoro::waitFor(cache.preview(dotted)), first);
        QCOMPARE(decodes.load(), 1);
        QCOMPARE(cache.count(), 1);

        // Rewritten with the same modification time: still the cached preview.
        QFile file(path);
        const QDateTime modified = QFileInfo(path).lastModified();
        QVERIFY(writeFile(path, dst({stitch(50, 0), stitch(0, 50)})));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(QCoro::waitFor(cache.preview(QUrl::fromLocalFile(path))), first);
        QCOMPARE(decodes.load(), 1);

        // A new modification time is a new version.
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(modified.addSecs(60), QFileDevice::FileModificationTime));
        file.close();
        const auto second = QCoro::waitFor(cache.preview(QUrl::fromLocalFile(path)));
        QCOMPARE(decodes.load(), 2);
        QVERIFY(second);
        QCOMPARE(second->bounds, (StitchPreview::Rect{0, 0, 50, 50}));
    }

    // Even the date is read off the GUI thread: a stat that hangs on a dead mount holds up that
    // one thumbnail, never the event loop, and what was asked before it still comes back.
    void cacheNeverStatsOnTheGuiThread() {
        QTemporaryDir dir;
        const QString path = dir.filePath("design.dst");
        QVERIFY(writeFile(path, dst({stitch(10, 0), stitch(0, 10)})));
        const QString hung = dir.filePath("on-a-dead-mount.dst");
        QSemaphore release;
        std::atomic<bool> onGuiThread = false;
        const auto decode = [](const QUrl& url) { return PreviewReader::read(url); };
        PreviewCache cache(decode, [&](const QString& stamped) {
            onGuiThread = onGuiThread || QThread::currentThread() == qApp->thread();
            if (stamped == hung)
                release.acquire();
            return std::optional<qint64>(1);
        });

        bool hungAnswered = false;
        [](PreviewCache& c, QUrl url, bool& answered) -> QCoro::Task<> {
            co_await c.preview(url);
            answered = true;
        }(cache, QUrl::fromLocalFile(hung), hungAnswered);
        // The event loop goes on, and another file's preview arrives meanwhile.
        const auto other = QCoro::waitFor(cache.preview(QUrl::fromLocalFile(path)));
        QVERIFY(other);
        QVERIFY(!hungAnswered);
        release.release();
        QTRY_VERIFY(hungAnswered);
        QVERIFY(!onGuiThread);
    }

    void cacheRemembersFailures() {
        QTemporaryDir dir;
        const QString path = dir.filePath("broken.pes");
        QVERIFY(writeFile(path, "#PES0001garbage!"));
        std::atomic<int> decodes = 0;
        PreviewCache cache([&decodes](const QUrl& url) {
            ++decodes;
            return PreviewReader::read(url);
        });
        QVERIFY(!QCoro::waitFor(cache.preview(QUrl::fromLocalFile(path))));
        QVERIFY(!QCoro::waitFor(cache.preview(QUrl::fromLocalFile(path))));
        QCOMPARE(decodes.load(), 1);
        // A missing file has no date; it is remembered too.
        const QUrl missing = QUrl::fromLocalFile(dir.filePath("missing.dst"));
        QVERIFY(!QCoro::waitFor(cache.preview(missing)));
        QVERIFY(!QCoro::waitFor(cache.preview(missing)));
        QCOMPARE(decodes.load(), 2);
        QCOMPARE(cache.count(), 2);
    }

    void cacheEmptiesPastTwoHundredEntries() {
        std::atomic<int> decodes = 0;
        PreviewCache cache([&decodes](const QUrl&) {
            ++decodes;
            return std::optional<StitchPreview>();
        });
        const auto url = [](int i) {
            return QUrl::fromLocalFile(QStringLiteral("/nonexistent/%1.dst").arg(i));
        };
        for (int i = 0; i < 201; ++i)
            QCoro::waitFor(cache.preview(url(i)));
        QCOMPARE(cache.count(), 201);
        QCoro::waitFor(cache.preview(url(0)));
        QCOMPARE(decodes.load(), 201); // a hit stores nothing
        QCOMPARE(cache.count(), 201);
        QCoro::waitFor(cache.preview(url(201)));
        QCOMPARE(cache.count(), 1);
        QCoro::waitFor(cache.preview(url(0)));
        QCOMPARE(decodes.load(), 203);
        QCOMPARE(cache.count(), 2);
    }

    void cacheHoldsABoundedNumberOfBytes() {
        // Previews of a megabyte each, as no decoded file makes them: the cache still stays
        // within its bytes.
        PreviewCache cache([](const QUrl&) {
            StitchPreview big;
            big.bounds = {0, 0, 100, 100};
            big.addRun(red, std::vector<Point>(131'072, Point{1, 1}));
            return std::optional(big);
        });
        const std::size_t each =
            QCoro::waitFor(cache.preview(QUrl::fromLocalFile(QStringLiteral("/nonexistent/0.pes"))))
                ->byteSize();
        for (int i = 1; i < 100; ++i) {
            QCoro::waitFor(
                cache.preview(QUrl::fromLocalFile(QStringLiteral("/nonexistent/%1.pes").arg(i))));
            QVERIFY(cache.bytes() <= PreviewCache::maxTotalBytes);
            QCOMPARE(cache.bytes(), each * static_cast<std::size_t>(cache.count()));
        }
        QVERIFY(cache.count() < 100);
    }

    // --- drawing ---------------------------------------------------------------------------

    void placementScalesAndCentres() {
        auto placed = StitchPreviewPainter::placement({0, 0, 1000, 10}, QSizeF(32, 32));
        QCOMPARE(placed.scale, 0.032);
        QCOMPARE(placed.offsetX, 0.0);
        QCOMPARE(placed.offsetY, (32 - 0.32) / 2);
        QCOMPARE(placed.lineWidth, 32.0 / 45);
        QVERIFY(qAbs(placed.lineWidth - 0.71) < 0.005);

        placed = StitchPreviewPainter::placement({-100, 50, 200, 100}, QSizeF(40, 40));
        QCOMPARE(placed.scale, 0.2);
        QCOMPARE(placed.offsetX, 20.0);        // -100 lands on 0
        QCOMPARE(placed.offsetY, 10.0 - 10.0); // 50 lands on 10
        QCOMPARE(StitchPreviewPainter::placement({0, 0, 1, 1}, QSizeF(20, 20)).lineWidth, 0.6);

        // A design thinner than a unit is not blown up across.
        placed = StitchPreviewPainter::placement({0, 0, 0.5, 0}, QSizeF(32, 32));
        QCOMPARE(placed.scale, 32.0);
        QCOMPARE(placed.offsetX, 8.0);
        QCOMPARE(placed.offsetY, 16.0);
    }

    void horizontalLineIsDrawnAlongTheMiddle() {
        const auto preview = expected({stitch(100, 0)}, {0xFF0000});
        QVERIFY(preview);
        const QImage image = render(*preview, 45);
        // Line width 1 on the middle line (y 22.5): rows 22 fully red, rows far away empty.
        QCOMPARE(image.pixelColor(22, 22).red(), 255);
        QCOMPARE(image.pixelColor(22, 22).alpha(), 255);
        QCOMPARE(image.pixelColor(22, 20).alpha(), 0);
        QCOMPARE(image.pixelColor(22, 25).alpha(), 0);
        QCOMPARE(image.pixelColor(2, 2).alpha(), 0);
    }

    void laterRunsPaintOverEarlierOnes() {
        const auto preview = expected(
            {stitch(100, 0), colorChange(), jump(-100, 0), stitch(100, 0)}, {0xFF0000, 0x0000FF});
        QVERIFY(preview);
        const QImage image = render(*preview, 45);
        QCOMPARE(image.pixelColor(22, 22), QColor(0, 0, 255));
        const QImage blank = render(StitchPreview{{}, {}, {0, 0, 10, 10}}, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                QCOMPARE(blank.pixelColor(x, y).alpha(), 0);
    }

    void crossingStitchesCostAPictureNotTheirCount() {
        // Each stitch spans the tile: stroking them all would cost their count times the
        // tile's side, whatever the picture shows.
        constexpr int count = 12'000;
        const auto preview = expected(crossingStitches(count), {0x2F5DA8});
        QVERIFY(preview);
        QImage image(1024, 1024, QImage::Format_ARGB32_Premultiplied);
        const auto stats = renderStats(*preview, image);
        QCOMPARE(stats.segments, std::size_t(count));
        QCOMPARE(stats.drawn + stats.hidden + stats.overBudget, stats.segments);
        // The work stops past a budget set by the picture's area and the segment count, by at
        // most one segment and the blending of the run in hand; the segments drawn are far
        // fewer than there are.
        const std::int64_t pixels = std::int64_t(1024 + 2 * 14) * (1024 + 2 * 14);
        QVERIFY(stats.budget <= StitchPreviewPainter::workPerPixel * pixels +
                                    StitchPreviewPainter::workPerSegment * count);
        QVERIFY2(stats.work <= stats.budget + 3 * pixels, qPrintable(QString::number(stats.work)));
        QVERIFY2(stats.drawn < std::size_t(count) / 2, qPrintable(QString::number(stats.drawn)));
        QVERIFY(stats.overBudget > 0);
        // What is drawn is the last stitches, which fill the tile's middle.
        QCOMPARE(image.pixelColor(512, 512), QColor(0x2F5DA8));

        // At card size the segment count does not stretch the budget past the area's share.
        QImage card(32, 32, QImage::Format_ARGB32_Premultiplied);
        const auto small = renderStats(*preview, card);
        const std::int64_t cardPixels = std::int64_t(32 + 2 * 2) * (32 + 2 * 2);
        QVERIFY(small.budget <=
                (StitchPreviewPainter::workPerPixel + StitchPreviewPainter::segmentWorkPerPixel) *
                    cardPixels);
        QVERIFY(small.overBudget > 0);
    }

    void ordinaryDesignsAreDrawnWhole_data() {
        QTest::addColumn<int>("side");
        for (const int side : {32, 102, 205, 410, 819})
            QTest::addRow("%d", side) << side;
    }

    void ordinaryDesignsAreDrawnWhole() {
        QFETCH(int, side);
        static const auto preview = DSTReader::read(dst(sampleDesign(20'000, 12)));
        QVERIFY(preview);
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        const auto stats = renderStats(*preview, image);
        QVERIFY(stats.drawn > 0);
        QCOMPARE(stats.overBudget, std::size_t(0));
        QCOMPARE(stats.drawn + stats.hidden, stats.segments);
    }

    void repeatsAndCoveredStitchesAreLeftOutUnchanged() {
        // A design stitched three times over in one colour looks as it does once; with wide
        // lines the repeats are found and not drawn again.
        std::vector<Command> once;
        for (int i = 0; i < 300; ++i)
            once.push_back(stitch(i % 2 == 0 ? 40 : -40, 1));
        std::vector<Command> thrice;
        for (int copy = 0; copy < 3; ++copy) {
            thrice.insert(thrice.end(), once.begin(), once.end());
            thrice.push_back(jump(0, -300));
        }
        const auto single = expected(once, {0xD9475A});
        const auto triple = expected(thrice, {0xD9475A});
        QVERIFY(single && triple);
        QCOMPARE(triple->bounds, single->bounds);
        QImage a(256, 256, QImage::Format_ARGB32_Premultiplied);
        QImage b(256, 256, QImage::Format_ARGB32_Premultiplied);
        const auto singleStats = renderStats(*single, a);
        const auto tripleStats = renderStats(*triple, b);
        QCOMPARE(tripleStats.segments, 3 * singleStats.segments);
        QCOMPARE(tripleStats.drawn, singleStats.drawn);
        QCOMPARE(b, a);
        QCOMPARE(a.pixelColor(128, 128), QColor(0xD9475A));

        // A stitch that a later, wider fill covers wholly is not drawn, and not missed.
        std::vector<Command> covered{jump(10, 100), stitch(20, 0), colorChange(), jump(-30, -100)};
        covered.insert(covered.end(), once.begin(), once.end());
        const auto under = expected(covered, {0x2E9E6B, 0xD9475A});
        QVERIFY(under);
        QCOMPARE(under->bounds, single->bounds);
        const auto underStats = renderStats(*under, b);
        QCOMPARE(underStats.hidden, std::size_t(1));
        QCOMPARE(b, a);
    }

    void aLineStitchedBackAndForthReadsAsOnePass() {
        // Stitched three times, as a bean stitch is, a line covers what a single pass covers,
        // as a stroked path would: at card size, where it is thinner than a pixel, and wider.
        const auto single = expected({stitch(60, 0)}, {0x000000});
        const auto bean = expected({stitch(60, 0), stitch(-60, 0), stitch(60, 0)}, {0x000000});
        QVERIFY(single && bean);
        for (const int side : {32, 40, 256}) {
            const QImage once = render(*single, side);
            const QImage thrice = render(*bean, side);
            QVERIFY(once.pixelColor(side / 2, side / 2).alpha() > 60);
            QCOMPARE(thrice, once);
        }
    }

    void drawsAtTheDevicesResolution() {
        // On a device of two pixels per point the line is twice as many pixels wide, and the
        // picture lands where a painter would put it.
        const auto preview = expected({stitch(100, 0)}, {0xFF0000});
        QVERIFY(preview);
        QImage image(90, 120, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.translate(0, 10);
        StitchPreviewPainter::draw(*preview, painter, QSizeF(45, 45));
        painter.end();
        int opaqueRows = 0;
        for (int y = 0; y < 120; ++y)
            opaqueRows += image.pixelColor(44, y).alpha() == 255 ? 1 : 0;
        QCOMPARE(opaqueRows, 2);
        // A line 1 point wide along the middle of a 45-point canvas 10 points down: device
        // rows 64 and 65.
        QCOMPARE(image.pixelColor(44, 64), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(44, 65), QColor(255, 0, 0));
    }

    void thumbnailShowsPreviewOrExtension() {
        QTemporaryDir dir;
        const QString designPath = dir.filePath("design.dst");
        QVERIFY(writeFile(designPath,
                          dst({stitch(40, 0), stitch(0, 40), stitch(-40, 0)}, {"TC#FF0000"})));
        const QString brokenPath = dir.filePath("broken.pes");
        QVERIFY(writeFile(brokenPath, "not a design at all"));
        PreviewCache cache;

        DesignThumbnail thumbnail(QUrl::fromLocalFile(brokenPath), 40, nullptr, &cache);
        QSignalSpy loaded(&thumbnail, &DesignThumbnail::loaded);
        QVERIFY(!thumbnail.isLoaded());
        thumbnail.show();
        // The answer may come before show() returns (a quick decode), so count, don't wait.
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        QVERIFY(thumbnail.isLoaded());
        QVERIFY(!thumbnail.preview());
        const QImage extension = thumbnail.grab().toImage();

        thumbnail.setUrl(QUrl::fromLocalFile(designPath));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 2, 5000);
        QVERIFY(thumbnail.preview());
        // Drawn, it keeps the design's facts but not its stitches.
        QCOMPARE(thumbnail.preview()->stitchCount, 3);
        QCOMPARE(thumbnail.preview()->runs.capacity(), 0u);
        QCOMPARE(thumbnail.preview()->points.capacity(), 0u);
        const QImage design = thumbnail.grab().toImage();
        QCOMPARE(design.size(), QSize(40, 40));
        // The tile is near white, and the design's red shows inside the 10 % inset.
        const QColor tile = design.pixelColor(20, 2);
        QVERIFY2(tile.red() > 240 && tile.green() > 240, qPrintable(tile.name()));
        int reddish = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const QColor pixel = design.pixelColor(x, y);
                if (pixel.red() > pixel.green() + 60) {
                    ++reddish;
                    QVERIFY2(x >= 3 && x <= 36 && y >= 3 && y <= 36,
                             qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                }
            }
        QVERIFY(reddish > 20);
        QVERIFY(design != extension);

        const QString out = qEnvironmentVariable("BOBBINLARK_TEST_OUTPUT");
        if (!out.isEmpty() && QDir().mkpath(out)) {
            extension.save(out + "/thumbnail-extension.png");
            design.save(out + "/thumbnail-design.png");
        }
    }

    // --- command-line tools ----------------------------------------------------------------

    void toolPrintsThePreviewAsJson() {
        QTemporaryDir dir;
        const QString design = dir.filePath("design.pec");
        QVERIFY(writeFile(
            design, pec({70, 13}, pecStitchBytes({stitch(10, 0), colorChange(), stitch(0, 10)}))));
        const QString png = dir.filePath("out.png");
        QProcess tool;
        tool.start(BOBBINLARK_TOOL_PATH, {"preview", design, "--png", png, "--size", "64"});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        const QJsonObject object = QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
        QCOMPARE(object.value("bounds").toArray(), (QJsonArray{0, 0, 10, 10}));
        QCOMPARE(object.value("size").toString(), QStringLiteral("1 × 1 mm"));
        QCOMPARE(object.value("sizeMM").toArray(), (QJsonArray{1, 1}));
        QCOMPARE(object.value("stitches").toInteger(), 2);
        QCOMPARE(object.value("colors").toInteger(), 2);
        const QJsonArray runs = object.value("runs").toArray();
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs[0].toObject().value("color").toString(), QStringLiteral("ED171F"));
        QCOMPARE(runs[1].toObject().value("color").toString(), QStringLiteral("FFFF00"));
        QCOMPARE(runs[1].toObject().value("points").toArray(),
                 (QJsonArray{QJsonArray{10, 0}, QJsonArray{10, 10}}));
        QCOMPARE(QImage(png).size(), QSize(64, 64));

        const QString broken = dir.filePath("broken.dst");
        QVERIFY(writeFile(broken, QByteArray(600, '\0') + bytes({0, 0, 0xF3})));
        tool.start(BOBBINLARK_TOOL_PATH, {"preview", broken});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QCOMPARE(tool.readAllStandardOutput().trimmed(), QByteArray("null"));
    }

    // The tool draws through a program of its own; without it a picture is refused plainly,
    // while the commands that draw nothing still work.
    void toolWithoutItsDrawingProgramSaysSo() {
        QTemporaryDir dir;
        const QString lonely = dir.filePath("bobbinlark-tool");
        QVERIFY(QFile::copy(BOBBINLARK_TOOL_PATH, lonely));
        const QString design = dir.filePath("design.dst");
        QVERIFY(writeFile(design, dst({stitch(10, 0), stitch(0, 10)})));

        QProcess tool;
        tool.start(lonely, {"preview", design, "--png", dir.filePath("out.png")});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains("bobbinlark-tool-draw"));
        QVERIFY(!QFile::exists(dir.filePath("out.png")));

        tool.start(lonely, {"preview", design});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY(tool.readAllStandardOutput().startsWith("{\"bounds\""));
    }

    void thumbnailerTakesPathsAndFileUris() {
        QTemporaryDir dir;
        const QString design = dir.filePath("my design é.dst");
        QVERIFY(writeFile(design, dst({stitch(40, 0), stitch(0, 40)}, {"TC#FF0000"})));
        const QString out = dir.filePath("thumb.png");
        QProcess thumbnailer;
        thumbnailer.start(
            BOBBINLARK_THUMBNAILER_PATH,
            {"-s", "128", QUrl::fromLocalFile(design).toString(QUrl::FullyEncoded), out});
        QVERIFY(thumbnailer.waitForFinished(30000));
        QCOMPARE(thumbnailer.exitCode(), 0);
        const QImage image(out);
        QCOMPARE(image.size(), QSize(128, 128));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // rounded corner
        QVERIFY(image.pixelColor(64, 64).alpha() > 0);

        // A file manager's environment may name a display platform that is not there; a
        // thumbnail needs none, and comes out the same.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        thumbnailer.setProcessEnvironment(environment);
        const QString again = dir.filePath("again.png");
        thumbnailer.start(BOBBINLARK_THUMBNAILER_PATH, {"-s", "128", design, again});
        QVERIFY(thumbnailer.waitForFinished(30000));
        QCOMPARE(thumbnailer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(thumbnailer.exitCode(), 0);
        QCOMPARE(QImage(again), image);
        thumbnailer.setProcessEnvironment(QProcessEnvironment::systemEnvironment());

        const QString none = dir.filePath("none.png");
        thumbnailer.start(BOBBINLARK_THUMBNAILER_PATH, {"-s", "128", dir.filePath("x.pes"), none});
        QVERIFY(thumbnailer.waitForFinished(30000));
        QCOMPARE(thumbnailer.exitCode(), 1);
        QVERIFY(!QFile::exists(none));
        thumbnailer.start(BOBBINLARK_THUMBNAILER_PATH, {"-s", "big", design, none});
        QVERIFY(thumbnailer.waitForFinished(30000));
        QCOMPARE(thumbnailer.exitCode(), 2);
    }
};

QTEST_MAIN(TestPreviews)
#include "test_previews.moc"
