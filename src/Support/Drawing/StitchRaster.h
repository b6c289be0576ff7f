#pragma once

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

// Rasterises the runs of a stitch preview as unions of round-capped segments. Kept inline in
// its header: the painter calls it once per segment, and a preview has hundreds of thousands.
namespace StitchRaster {

inline constexpr double infinity = std::numeric_limits<double>::infinity();

struct Vec {
    double x;
    double y;
};

// An interval of x on one horizontal line; empty when left > right.
struct Span {
    double left;
    double right;
    bool empty() const { return !(left <= right); }
};

inline constexpr Span noSpan{1, 0};

inline Span unite(Span a, Span b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return {std::min(a.left, b.left), std::max(a.right, b.right)};
}

inline Span intersect(Span a, Span b) {
    return {std::max(a.left, b.left), std::min(a.right, b.right)};
}

// The x where slope * x + constant lies within [low, high], given 1 / slope (0 for a flat
// slope): multiplying spares two divisions on every row of every segment.
inline Span linearSpan(double inverseSlope, double constant, double low, double high) {
    if (inverseSlope == 0)
        return constant >= low && constant <= high ? Span{-infinity, infinity} : noSpan;
    const double x0 = (low - constant) * inverseSlope;
    const double x1 = (high - constant) * inverseSlope;
    return {std::min(x0, x1), std::max(x0, x1)};
}

inline double inverseOf(double slope) {
    return std::abs(slope) < 1e-12 ? 0 : 1 / slope;
}

// One segment of a run with its round ends: the points within some distance of it.
struct Capsule {
    Vec a;
    Vec b;
    double length;
    Vec direction;   // unit; any when the segment is a single point
    double inverseX; // 1 / direction.x, 0 when flat
    double inverseY; // -1 / direction.y, 0 when flat

    Capsule(Vec from, Vec to)
        : a(from)
        , b(to)
        , length(std::hypot(to.x - from.x, to.y - from.y))
        , direction(length > 0 ? Vec{(to.x - from.x) / length, (to.y - from.y) / length}
                               : Vec{1, 0})
        , inverseX(inverseOf(direction.x))
        , inverseY(inverseOf(-direction.y)) {}

    double distance(double x, double y) const {
        const double px = x - a.x;
        const double py = y - a.y;
        const double t = std::clamp(px * direction.x + py * direction.y, 0.0, length);
        const double dx = px - t * direction.x;
        const double dy = py - t * direction.y;
        return std::sqrt(dx * dx + dy * dy);
    }

    static Span disc(Vec centre, double y, double radius) {
        const double dy = y - centre.y;
        const double q = radius * radius - dy * dy;
        if (q < 0)
            return noSpan;
        const double half = std::sqrt(q);
        return {centre.x - half, centre.x + half};
    }

    // Where the horizontal line at `y` lies within `radius` of the segment. The shape is convex,
    // so this is one interval: the union of the two end discs and the band between them.
    Span span(double y, double radius) const {
        Span span = unite(disc(a, y, radius), disc(b, y, radius));
        if (length > 0) {
            const double dy = y - a.y;
            const Span along =
                linearSpan(inverseX, direction.y * dy - direction.x * a.x, 0, length);
            const Span across =
                linearSpan(inverseY, direction.x * dy + direction.y * a.x, -radius, radius);
            span = unite(span, intersect(along, across));
        }
        return span;
    }

    double top() const { return std::min(a.y, b.y); }
    double bottom() const { return std::max(a.y, b.y); }
};

// What the steps of drawing cost, in units of about a nanosecond, for the budget.
inline constexpr std::int64_t rowWork = 16;      // the reach of a capsule across one row
inline constexpr std::int64_t rimWork = 4;       // one pixel at a capsule's edge
inline constexpr std::int64_t compositeWork = 2; // one pixel blended under the layer

// The coverage of one run (the union of its capsules, anti-aliased by distance), blended under
// what later runs already drew; and which cells of the picture are opaque for good.
class Rasteriser {
public:
    Rasteriser(QImage& layer, double lineWidth)
        : m_layer(layer)
        , m_width(layer.width())
        , m_height(layer.height())
        , m_radius(lineWidth / 2)
        , m_outer(m_radius + 0.5)
        , m_inner(m_radius - 0.5)
        , m_peak(std::min(1.0, lineWidth))
        , m_coverage(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0)
        , m_dirtyLeft(static_cast<std::size_t>(m_height), std::numeric_limits<int>::max())
        , m_dirtyRight(static_cast<std::size_t>(m_height), -1) {
        // Cells small enough to lie wholly inside a line, so that covered ground is noticed;
        // lines too thin for a cell of 2 pixels are cheap to draw and skip nothing.
        const int cell = static_cast<int>(1 + std::floor(m_inner * 1.4));
        if (cell >= 2) {
            m_cell = std::min(cell, 16);
            m_cellsX = (m_width + m_cell - 1) / m_cell;
            m_cellsY = (m_height + m_cell - 1) / m_cell;
            m_solid.assign(static_cast<std::size_t>(m_cellsX) * static_cast<std::size_t>(m_cellsY),
                           0);
        }
    }

    std::int64_t work() const { return m_work; }

    // True when every pixel the capsule would touch is already opaque, so drawing it under them
    // changes nothing.
    bool isHidden(const Capsule& capsule) {
        if (m_cell == 0)
            return false;
        const int top = std::max(0, static_cast<int>(std::floor(capsule.top() - m_outer)));
        const int bottom =
            std::min(m_height - 1, static_cast<int>(std::ceil(capsule.bottom() + m_outer)));
        if (top > bottom)
            return true;
        for (int cellY = top / m_cell; cellY <= bottom / m_cell; ++cellY) {
            const double y0 = std::max(top, cellY * m_cell) + 0.5;
            const double y1 = std::min(bottom, cellY * m_cell + m_cell - 1) + 0.5;
            // A convex shape is widest within a strip at the strip's edges or where its round
            // ends are widest.
            Span reach = unite(capsule.span(y0, m_outer), capsule.span(y1, m_outer));
            for (const double y : {capsule.a.y, capsule.b.y}) {
                if (y > y0 && y < y1)
                    reach = unite(reach, capsule.span(y, m_outer));
            }
            m_work += rowWork;
            if (reach.empty())
                continue;
            const auto [left, right] = pixelsWithin(reach);
            if (left > right)
                continue;
            const std::uint8_t* row = m_solid.data() + static_cast<std::size_t>(cellY) *
                                                           static_cast<std::size_t>(m_cellsX);
            for (int cellX = left / m_cell; cellX <= right / m_cell; ++cellX) {
                ++m_work;
                if (!row[cellX])
                    return false;
            }
        }
        return true;
    }

    // A run covers a pixel as much as the most any of its segments does: the union of its
    // capsules, as a stroked path covers it, so a line stitched back over itself (bean stitch,
    // satin edges) reads as one pass, never darker.
    void fill(const Capsule& capsule) {
        const int top = std::max(0, static_cast<int>(std::floor(capsule.top() - m_outer)));
        const int bottom =
            std::min(m_height - 1, static_cast<int>(std::ceil(capsule.bottom() + m_outer)));
        for (int y = top; y <= bottom; ++y) {
            const double centreY = y + 0.5;
            m_work += rowWork;
            const Span reach = capsule.span(centreY, m_outer);
            if (reach.empty())
                continue;
            const auto [left, right] = pixelsWithin(reach);
            if (left > right)
                continue;
            // Pixels whose centre lies within radius - 0.5 are wholly covered; only the rim
            // needs a distance.
            int fullLeft = right + 1;
            int fullRight = right;
            if (m_inner > 0) {
                const Span full = capsule.span(centreY, m_inner);
                if (!full.empty()) {
                    fullLeft = std::max(left, static_cast<int>(std::ceil(full.left - 0.5)));
                    fullRight = std::min(right, static_cast<int>(std::floor(full.right - 0.5)));
                    if (fullLeft > fullRight) {
                        fullLeft = right + 1;
                        fullRight = right;
                    }
                }
            }
            const std::size_t offset =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
            std::uint8_t* row = m_coverage.data() + offset;
            const auto rim = [&](int x) {
                const double d = capsule.distance(x + 0.5, centreY);
                const double amount = std::clamp(m_outer - d, 0.0, m_peak);
                const auto value = static_cast<std::uint8_t>(amount * 255 + 0.5);
                row[x] = std::max(row[x], value);
            };
            for (int x = left; x < fullLeft; ++x)
                rim(x);
            if (fullLeft <= fullRight)
                std::memset(row + fullLeft, 255,
                            static_cast<std::size_t>(fullRight - fullLeft + 1));
            for (int x = std::max(fullRight + 1, left); x <= right; ++x)
                rim(x);
            m_work += (right - left + 1 - std::max(0, fullRight - fullLeft + 1)) * rimWork +
                      std::max(0, fullRight - fullLeft + 1) / 4;
            auto& dirtyLeft = m_dirtyLeft[static_cast<std::size_t>(y)];
            auto& dirtyRight = m_dirtyRight[static_cast<std::size_t>(y)];
            dirtyLeft = std::min(dirtyLeft, left);
            dirtyRight = std::max(dirtyRight, right);
            m_dirtyTop = std::min(m_dirtyTop, y);
            m_dirtyBottom = std::max(m_dirtyBottom, y);
        }
    }

    // Marks the cells whose every pixel the capsule covers wholly.
    void markSolid(const Capsule& capsule) {
        if (m_cell == 0)
            return;
        const int top = std::max(0, static_cast<int>(std::floor(capsule.top() - m_inner)));
        const int bottom =
            std::min(m_height - 1, static_cast<int>(std::ceil(capsule.bottom() + m_inner)));
        for (int cellY = top / m_cell; cellY <= bottom / m_cell; ++cellY) {
            // A box lies inside a convex shape when its corners do: the corner pixel centres
            // of the cell's first and last rows.
            const Span inside = intersect(capsule.span(cellY * m_cell + 0.5, m_inner),
                                          capsule.span(cellY * m_cell + m_cell - 0.5, m_inner));
            m_work += rowWork;
            if (inside.empty())
                continue;
            const int first =
                std::max(0, static_cast<int>(std::ceil((inside.left - 0.5) / m_cell)));
            const int last = std::min(
                m_cellsX - 1, static_cast<int>(std::floor((inside.right + 0.5) / m_cell)) - 1);
            std::uint8_t* row = m_solid.data() + static_cast<std::size_t>(cellY) *
                                                     static_cast<std::size_t>(m_cellsX);
            for (int cellX = first; cellX <= last; ++cellX)
                row[cellX] = 1;
            m_work += std::max(0, last - first + 1);
        }
    }

    // Blends the run's coverage in `color` under the layer (what later runs drew stays on top)
    // and clears it for the next run.
    void compositeUnder(std::uint32_t color) {
        const int red = static_cast<int>((color >> 16) & 0xFF);
        const int green = static_cast<int>((color >> 8) & 0xFF);
        const int blue = static_cast<int>(color & 0xFF);
        for (int y = m_dirtyTop; y <= m_dirtyBottom; ++y) {
            auto& left = m_dirtyLeft[static_cast<std::size_t>(y)];
            auto& right = m_dirtyRight[static_cast<std::size_t>(y)];
            if (left > right)
                continue;
            std::uint8_t* coverage =
                m_coverage.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
            auto* line = reinterpret_cast<QRgb*>(m_layer.scanLine(y));
            for (int x = left; x <= right; ++x) {
                const int amount = coverage[x];
                if (amount == 0)
                    continue;
                coverage[x] = 0;
                const QRgb below = line[x];
                const int alpha = qAlpha(below);
                if (alpha == 255)
                    continue;
                const int share = (amount * (255 - alpha) + 127) / 255;
                line[x] = qRgba(qRed(below) + (red * share + 127) / 255,
                                qGreen(below) + (green * share + 127) / 255,
                                qBlue(below) + (blue * share + 127) / 255, alpha + share);
            }
            m_work += (right - left + 1) * compositeWork;
            left = std::numeric_limits<int>::max();
            right = -1;
        }
        m_dirtyTop = std::numeric_limits<int>::max();
        m_dirtyBottom = -1;
    }

private:
    // The first and last columns whose pixel centres lie within `reach`, clipped to the layer;
    // none when the first is past the last.
    std::pair<int, int> pixelsWithin(const Span& reach) const {
        return {std::max(0, static_cast<int>(std::ceil(reach.left - 0.5))),
                std::min(m_width - 1, static_cast<int>(std::floor(reach.right - 0.5)))};
    }

    QImage& m_layer;
    int m_width;
    int m_height;
    double m_radius;
    double m_outer;
    double m_inner;
    double m_peak; // the most a line covers of one pixel: all of it, or its width
    std::vector<std::uint8_t> m_coverage;
    std::vector<int> m_dirtyLeft;
    std::vector<int> m_dirtyRight;
    int m_dirtyTop = std::numeric_limits<int>::max();
    int m_dirtyBottom = -1;
    int m_cell = 0;
    int m_cellsX = 0;
    int m_cellsY = 0;
    std::vector<std::uint8_t> m_solid;
    std::int64_t m_work = 0;
};

} // namespace StitchRaster
