#include "Designs/StitchPreview.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

bool keeps(const StitchPreview::Point& point, const StitchPreview::Point& last, double tolerance) {
    return std::abs(double(point.x) - double(last.x)) >= tolerance ||
           std::abs(double(point.y) - double(last.y)) >= tolerance;
}

// Simplifies `points[begin, end)` into the same vector from `to` on, which is at most `begin`,
// and returns where the kept points end: one rule for `simplified` and the builder, which then
// needs no second copy of a large design.
std::size_t simplifyInPlace(std::vector<StitchPreview::Point>& points, std::size_t begin,
                            std::size_t end, std::size_t to, double tolerance) {
    if (end - begin < 3 || !(tolerance > 0)) {
        if (to != begin)
            std::copy(points.begin() + std::ptrdiff_t(begin), points.begin() + std::ptrdiff_t(end),
                      points.begin() + std::ptrdiff_t(to));
        return to + (end - begin);
    }
    const StitchPreview::Point last = points[end - 1];
    points[to] = points[begin];
    std::size_t kept = to;
    for (std::size_t i = begin + 1; i + 1 < end; ++i) {
        if (keeps(points[i], points[kept], tolerance))
            points[++kept] = points[i];
    }
    points[++kept] = last;
    return kept + 1;
}

// The allocator's own share of each block, on top of what was asked for.
constexpr std::size_t allocationOverhead = 16;

} // namespace

std::vector<StitchPreview::Point> StitchPreview::simplified(std::span<const Point> points,
                                                            double tolerance) {
    std::vector<Point> kept(points.begin(), points.end());
    kept.resize(simplifyInPlace(kept, 0, kept.size(), 0, tolerance));
    return kept;
}

void StitchPreview::addRun(std::uint32_t color, std::span<const Point> runPoints) {
    const auto begin = static_cast<std::uint32_t>(points.size());
    points.insert(points.end(), runPoints.begin(), runPoints.end());
    runs.push_back({color, begin, static_cast<std::uint32_t>(points.size())});
}

std::size_t StitchPreview::byteSize() const {
    return sizeof(StitchPreview) + 2 * allocationOverhead + points.capacity() * sizeof(Point) +
           runs.capacity() * sizeof(Run);
}

StitchPreview::Builder::Builder(std::vector<std::uint32_t> palette)
    : m_palette(palette.empty() ? defaultPalette() : std::move(palette)) {}

void StitchPreview::Builder::changeColor(std::int64_t dx, std::int64_t dy) {
    endRun();
    ++m_colorIndex;
    m_x += dx;
    m_y += dy;
}

void StitchPreview::Builder::reserve(std::size_t points, std::size_t runs) {
    m_points.reserve(points);
    m_runs.reserve(runs);
}

void StitchPreview::Builder::endRun() {
    const std::size_t count = m_points.size() - m_runStart;
    if (count > 1) {
        const auto paletteSize = static_cast<std::int64_t>(m_palette.size());
        const auto color = m_palette[static_cast<std::size_t>(m_colorIndex % paletteSize)];
        m_runs.push_back({color, static_cast<std::uint32_t>(m_runStart),
                          static_cast<std::uint32_t>(m_points.size())});
        if (m_colorIndex != m_countedColorIndex) {
            ++m_colorCount;
            m_countedColorIndex = m_colorIndex;
        }
    } else {
        m_points.resize(m_runStart);
    }
    m_runStart = m_points.size();
}

std::optional<StitchPreview> StitchPreview::Builder::finish() {
    endRun();
    if (m_runs.empty() || m_outOfRange)
        return std::nullopt;
    if (m_minX >= m_maxX && m_minY >= m_maxY)
        return std::nullopt;

    StitchPreview preview;
    preview.bounds = {static_cast<double>(m_minX), static_cast<double>(m_minY),
                      static_cast<double>(m_maxX - m_minX), static_cast<double>(m_maxY - m_minY)};
    preview.stitchCount = m_stitchCount;
    preview.colorCount = m_colorCount;
    // Exact for every design, however large: a preview is a step on the way to a picture, and
    // the panel keeps pictures, not previews (DesignThumbnail), so no bound thins it here.
    // Each run is simplified where it lies, towards the front, and the vectors then handed over.
    const double tolerance = std::max(preview.bounds.width, preview.bounds.height) / 200;
    std::size_t kept = 0;
    for (Run& run : m_runs) {
        const std::size_t begin = kept;
        kept = simplifyInPlace(m_points, run.begin, run.end, kept, tolerance);
        run.begin = static_cast<std::uint32_t>(begin);
        run.end = static_cast<std::uint32_t>(kept);
    }
    m_points.resize(kept);
    m_points.shrink_to_fit();
    m_runs.shrink_to_fit();
    preview.points = std::exchange(m_points, {});
    preview.runs = std::exchange(m_runs, {});
    m_runStart = 0;
    return preview;
}

const std::array<std::uint32_t, 65>& StitchPreview::pecPalette() {
    static const std::array<std::uint32_t, 65> palette{
        0x000000, 0x0E1F7C, 0x0A55A3, 0x008777, 0x4B6BAF, 0xED171F, 0xD15C00, 0x913697, 0xE49ACB,
        0x915FAC, 0x9ED67D, 0xE8A900, 0xFEBA35, 0xFFFF00, 0x70BC1F, 0xBA9800, 0xA8A8A8, 0x7D6F00,
        0xFFFFB3, 0x4F5556, 0x000000, 0x0B3D91, 0x770176, 0x293133, 0x2A1301, 0xF64A8A, 0xB27624,
        0xFCBBC5, 0xFE370F, 0xF0F0F0, 0x6A1C8A, 0xA8DDC4, 0x2584BB, 0xFEB343, 0xFFF36B, 0xD0A660,
        0xD15400, 0x66BA49, 0x134A46, 0x878787, 0xD8CCC6, 0x435607, 0xFDD9DE, 0xF993BC, 0x003822,
        0xB2AFD4, 0x686AB0, 0xEFE3B9, 0xF73866, 0xB54B64, 0x132B1A, 0xC70156, 0xFE9E32, 0xA8DEEB,
        0x00673E, 0x4E2990, 0x2F7E20, 0xFFCCCC, 0xFFD911, 0x095BA6, 0xF0F970, 0xE3F35B, 0xFF9900,
        0xFFF08D, 0xFFC8C8,
    };
    return palette;
}

const std::vector<std::uint32_t>& StitchPreview::defaultPalette() {
    static const std::vector<std::uint32_t> palette{0x2F5DA8, 0xD9475A, 0x2E9E6B,
                                                    0xE8A33D, 0x7A4FB5, 0x2B2B2B};
    return palette;
}
