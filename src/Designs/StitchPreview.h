#pragma once

#include <QByteArrayView>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

// A design reduced to what a thumbnail can show: coloured polylines in stitching order and the
// rectangle that encloses them, in the file's own stitch units with y growing downward.
//
// The readers (DSTReader, PECReader) decode design bytes into pen
// movements and feed them to a Builder. They only read, never throw, and return nothing for any
// file they cannot make sense of.
struct StitchPreview {
    // A position in stitch units. Every design the readers accept fits 32 bits (a bigger extent
    // would be kilometres); half the size of doubles, which counts for large designs.
    struct Point {
        std::int32_t x = 0;
        std::int32_t y = 0;
        friend bool operator==(const Point&, const Point&) = default;
    };

    struct Rect {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
        friend bool operator==(const Rect&, const Rect&) = default;
    };

    // A polyline of one colour: the points `points[begin, end)` of its preview, at least 2.
    // Offsets rather than a vector each: a design of countless short runs then makes no
    // allocation per run.
    struct Run {
        std::uint32_t color = 0; // 0xRRGGBB
        std::uint32_t begin = 0;
        std::uint32_t end = 0;
        friend bool operator==(const Run&, const Run&) = default;
    };

    // Drops every inner point that moved less than `tolerance` on both axes from the last point
    // kept; the first and last points always stay.
    static std::vector<Point> simplified(std::span<const Point> points, double tolerance);

    // Turns stitches, jumps and colour changes into runs and bounds. Positions are 64-bit
    // integers so that no file can overflow them.
    class Builder {
    public:
        // An empty palette falls back to the default one.
        explicit Builder(std::vector<std::uint32_t> palette);

        // Defined inline: the readers call these once per stitch record.
        void addStitch(std::int64_t dx, std::int64_t dy) {
            ++m_stitchCount;
            if (m_points.size() == m_runStart)
                append(m_x, m_y);
            m_x += dx;
            m_y += dy;
            append(m_x, m_y);
        }
        void jump(std::int64_t dx, std::int64_t dy) {
            endRun();
            m_x += dx;
            m_y += dy;
        }
        void changeColor(std::int64_t dx, std::int64_t dy);
        // Room for at most this many points and runs, as the reader bounds them by the file's
        // length: a large design then never holds its points twice while they grow.
        void reserve(std::size_t points, std::size_t runs);
        void endRun();
        // Nothing when no run was made, the design has no extent or it goes past 32 bits.
        std::optional<StitchPreview> finish();

    private:
        void append(std::int64_t px, std::int64_t py) {
            if (px < std::numeric_limits<std::int32_t>::min() ||
                px > std::numeric_limits<std::int32_t>::max() ||
                py < std::numeric_limits<std::int32_t>::min() ||
                py > std::numeric_limits<std::int32_t>::max()) {
                m_outOfRange = true;
                return;
            }
            m_points.push_back({static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)});
            m_minX = std::min(m_minX, px);
            m_maxX = std::max(m_maxX, px);
            m_minY = std::min(m_minY, py);
            m_maxY = std::max(m_maxY, py);
        }

        std::vector<std::uint32_t> m_palette;
        std::int64_t m_colorIndex = 0;
        std::int64_t m_x = 0;
        std::int64_t m_y = 0;
        // Every run's points back to back; `m_runStart` marks where the current run begins.
        // Offsets into it fit 32 bits: a design read from bytes has far fewer points.
        std::vector<Point> m_points;
        std::size_t m_runStart = 0;
        std::vector<Run> m_runs;
        // A position past 32 bits: no real design, and nothing to preview.
        bool m_outOfRange = false;
        std::int64_t m_stitchCount = 0;
        std::int64_t m_colorCount = 0;
        // The colour index of the last thread block counted; none yet.
        std::int64_t m_countedColorIndex = -1;
        std::int64_t m_minX = std::numeric_limits<std::int64_t>::max();
        std::int64_t m_minY = std::numeric_limits<std::int64_t>::max();
        std::int64_t m_maxX = std::numeric_limits<std::int64_t>::min();
        std::int64_t m_maxY = std::numeric_limits<std::int64_t>::min();
    };

    // A design's extent in millimetres.
    struct Size {
        double width = 0;
        double height = 0;
        friend bool operator==(const Size&, const Size&) = default;
    };

    // Every run's points back to back, in stitching order.
    std::vector<Point> points;
    std::vector<Run> runs;
    Rect bounds;
    // Every stitch the file holds, before simplifying; jumps and colour changes are not stitches.
    std::int64_t stitchCount = 0;
    // Thread blocks that hold stitches: what the user threads, whatever the palette repeats.
    std::int64_t colorCount = 0;

    std::span<const Point> pointsOf(const Run& run) const {
        return std::span<const Point>(points).subspan(run.begin, run.end - run.begin);
    }
    // Appends a run of these points (at least 2).
    void addRun(std::uint32_t color, std::span<const Point> runPoints);

    // The formats' stitch unit is a tenth of a millimetre.
    Size sizeMM() const { return {bounds.width / 10, bounds.height / 10}; }

    // What the preview holds in memory: its runs and their points, allocations included.
    std::size_t byteSize() const;

    friend bool operator==(const StitchPreview&, const StitchPreview&) = default;

    // The 65 thread colours of Brother machines, indexed by a file's byte modulo 65.
    static const std::array<std::uint32_t, 65>& pecPalette();
    // The colours used when a file names none.
    static const std::vector<std::uint32_t>& defaultPalette();
};
