#include "Designs/StitchPreview.h"

#include <algorithm>
#include <cmath>

namespace {

StitchPreview::Point pointOf(const StitchPreview::Point& point) {
    return point;
}

template <typename Position>
StitchPreview::Point pointOf(const Position& position) {
    return {static_cast<double>(position.x), static_cast<double>(position.y)};
}

// One implementation for `Run::simplified` and the builder's finish, so both follow one rule.
template <typename Position>
std::vector<StitchPreview::Point> simplify(std::span<const Position> points, double tolerance) {
    std::vector<StitchPreview::Point> kept;
    if (points.size() < 3 || !(tolerance > 0)) {
        kept.reserve(points.size());
        for (const Position& point : points)
            kept.push_back(pointOf(point));
        return kept;
    }
    kept.push_back(pointOf(points.front()));
    StitchPreview::Point last = kept.back();
    for (std::size_t i = 1; i + 1 < points.size(); ++i) {
        const StitchPreview::Point point = pointOf(points[i]);
        if (std::abs(point.x - last.x) >= tolerance || std::abs(point.y - last.y) >= tolerance) {
            kept.push_back(point);
            last = point;
        }
    }
    kept.push_back(pointOf(points.back()));
    kept.shrink_to_fit(); // a long run's growth would otherwise stay with the preview
    return kept;
}

// The allocator's own share of each block, on top of what was asked for.
constexpr std::size_t allocationOverhead = 16;

std::size_t runBytes(std::size_t pointCount) {
    return sizeof(StitchPreview::Run) + allocationOverhead +
           pointCount * sizeof(StitchPreview::Point);
}

} // namespace

std::size_t StitchPreview::byteSize() const {
    std::size_t bytes = sizeof(StitchPreview) + allocationOverhead;
    for (const Run& run : runs)
        bytes += runBytes(run.points.capacity());
    return bytes;
}

StitchPreview::Run StitchPreview::Run::simplified(double tolerance) const {
    return Run{color, simplify(std::span<const Point>(points), tolerance)};
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
    if (m_runs.empty())
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
    const double tolerance = std::max(preview.bounds.width, preview.bounds.height) / 200;
    const std::span<const Position> all(m_points);
    preview.runs.reserve(m_runs.size());
    for (const Span& span : m_runs)
        preview.runs.push_back(
            Run{span.color, simplify(all.subspan(span.begin, span.end - span.begin), tolerance)});
    m_points = {};
    m_runs = {};
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
