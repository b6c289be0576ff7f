#include "Support/Drawing/StitchPreviewPainter.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "Support/Drawing/StitchRaster.h"

namespace {

constexpr qreal cornerRadius = 7;

using namespace StitchRaster;

} // namespace

StitchPreviewPainter::Placement StitchPreviewPainter::placement(const StitchPreview::Rect& bounds,
                                                                QSizeF canvas) {
    const double w = canvas.width();
    const double h = canvas.height();
    Placement placed;
    // A design thinner than one unit is not blown up in that direction.
    placed.scale = std::min(w / std::max(bounds.width, 1.0), h / std::max(bounds.height, 1.0));
    placed.offsetX = (w - bounds.width * placed.scale) / 2 - bounds.x * placed.scale;
    placed.offsetY = (h - bounds.height * placed.scale) / 2 - bounds.y * placed.scale;
    placed.lineWidth = std::max(std::min(w, h) / 45, 0.6);
    return placed;
}

namespace {

// The segments already drawn or found hidden, by their ends on a grid of 1/8 pixel in either
// order: a segment drawn again, as when a design repeats itself, changes nothing.
class SeenSegments {
public:
    explicit SeenSegments(std::size_t expected) {
        std::size_t capacity = 16;
        m_shift = 60;
        while (capacity < expected * 2) {
            capacity *= 2;
            --m_shift;
        }
        m_slots.assign(capacity, empty);
    }

    // True when the segment was seen before; notes it otherwise.
    bool check(Vec a, Vec b) {
        const auto grid = [](double value) {
            return static_cast<std::int64_t>(std::floor(value * 8));
        };
        std::int64_t ax = grid(a.x);
        std::int64_t ay = grid(a.y);
        std::int64_t bx = grid(b.x);
        std::int64_t by = grid(b.y);
        for (const std::int64_t v : {ax, ay, bx, by}) {
            if (v < 0 || v >= 0xFFFF)
                return false; // off the grid: never taken for another
        }
        if (std::pair(ax, ay) > std::pair(bx, by)) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        const auto key = static_cast<std::uint64_t>(ax) << 48 |
                         static_cast<std::uint64_t>(ay) << 32 |
                         static_cast<std::uint64_t>(bx) << 16 | static_cast<std::uint64_t>(by);
        const std::size_t mask = m_slots.size() - 1;
        // The top bits of a multiplicative hash, which depend on every bit of the key.
        for (std::size_t slot = (key * 0x9E3779B97F4A7C15ull) >> m_shift;;
             slot = (slot + 1) & mask) {
            if (m_slots[slot] == key)
                return true;
            if (m_slots[slot] == empty) {
                m_slots[slot] = key;
                return false;
            }
        }
    }

private:
    static constexpr std::uint64_t empty = ~std::uint64_t{0};
    std::vector<std::uint64_t> m_slots;
    int m_shift;
};

StitchPreviewPainter::Stats rasterise(const StitchPreview& preview, QImage& layer,
                                      const QTransform& toLayer, double lineWidth) {
    StitchPreviewPainter::Stats stats;
    // Every run in layer pixels, leaving out points that moved less than half a pixel on both
    // axes from the last one kept: they cannot change what is drawn. A run keeps its ends.
    std::vector<Vec> points;
    std::vector<std::size_t> starts;
    starts.reserve(preview.runs.size() + 1);
    for (const StitchPreview::Run& run : preview.runs) {
        starts.push_back(points.size());
        const std::span<const StitchPreview::Point> runPoints = preview.pointsOf(run);
        const std::size_t last = runPoints.size() - 1;
        for (std::size_t i = 0; i <= last; ++i) {
            Vec point{};
            toLayer.map(runPoints[i].x, runPoints[i].y, &point.x, &point.y);
            if (i > 0 && i < last && std::abs(point.x - points.back().x) < 0.5 &&
                std::abs(point.y - points.back().y) < 0.5)
                continue;
            points.push_back(point);
        }
        stats.segments += points.size() - starts.back() - 1;
    }
    starts.push_back(points.size());
    const auto area = static_cast<std::int64_t>(layer.width()) * layer.height();
    // Small pictures of big designs need more than their area allows, for each segment costs a
    // few rows at least; that share is capped by the area too, so a crafted design's count
    // cannot stretch a card-sized tile's drawing, and outright, so a crafted design's
    // stitches, each as long as the picture, cannot stretch a large one's.
    stats.budget =
        StitchPreviewPainter::workPerPixel * area +
        std::min({StitchPreviewPainter::workPerSegment * static_cast<std::int64_t>(stats.segments),
                  StitchPreviewPainter::segmentWorkPerPixel * area,
                  StitchPreviewPainter::maxSegmentWork});

    // Last run first, each drawn under the ones after it: covered ground is then known to be
    // final, and if the budget runs out it is the earliest stitches, the ones most painted
    // over, that are left out.
    Rasteriser raster(layer, lineWidth);
    // A segment drawn twice covers what it covered once, so repeats may be left out; only wide
    // lines look for them, where one left out saves much drawing.
    const bool leaveOutRepeats = lineWidth >= 3;
    SeenSegments seen(leaveOutRepeats ? stats.segments : 0);
    std::size_t remaining = stats.segments;
    for (std::size_t run = preview.runs.size(); run-- > 0;) {
        for (std::size_t i = starts[run + 1] - 1; i > starts[run]; --i) {
            if (raster.work() > stats.budget)
                break;
            --remaining;
            if (leaveOutRepeats && seen.check(points[i - 1], points[i])) {
                ++stats.hidden;
                continue;
            }
            const Capsule capsule(points[i - 1], points[i]);
            if (raster.isHidden(capsule)) {
                ++stats.hidden;
                continue;
            }
            raster.fill(capsule);
            raster.markSolid(capsule);
            ++stats.drawn;
        }
        raster.compositeUnder(preview.runs[run].color);
        if (raster.work() > stats.budget)
            break;
    }
    stats.overBudget = remaining;
    stats.work = raster.work();
    return stats;
}

} // namespace

StitchPreviewPainter::Stats StitchPreviewPainter::render(const StitchPreview& preview,
                                                         QImage& layer, const QTransform& toLayer,
                                                         double lineWidth) {
    if (layer.isNull() || preview.runs.empty() || !(lineWidth > 0))
        return {};
    return rasterise(preview, layer, toLayer, lineWidth);
}

StitchPreviewPainter::Stats StitchPreviewPainter::draw(const StitchPreview& preview,
                                                       QPainter& painter, QSizeF canvas) {
    if (preview.runs.empty())
        return {};
    const Placement placed = placement(preview.bounds, canvas);
    const QTransform toCanvas(placed.scale, 0, 0, placed.scale, placed.offsetX, placed.offsetY);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const QTransform world = painter.worldTransform();

    if (world.type() > QTransform::TxScale) {
        // Rotated or sheared: draw at the canvas's own resolution and let the painter map it.
        const qreal scale = std::sqrt(std::abs(world.determinant())) * ratio;
        QImage layer(QSize(qCeil(canvas.width() * scale), qCeil(canvas.height() * scale)),
                     QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        const Stats stats = render(preview, layer, toCanvas * QTransform::fromScale(scale, scale),
                                   placed.lineWidth * scale);
        painter.drawImage(QRectF(QPointF(0, 0), canvas), layer);
        return stats;
    }

    // On the device's own pixel grid, so the layer is copied without resampling. It reaches
    // past the canvas by half a line, where the round ends of the outermost stitches fall.
    const QTransform toDevice = world * QTransform::fromScale(ratio, ratio);
    const double lineWidth = placed.lineWidth * std::sqrt(std::abs(toDevice.determinant()));
    const double margin = lineWidth / 2 + 1;
    const QRect pixels = toDevice.mapRect(QRectF(QPointF(0, 0), canvas))
                             .adjusted(-margin, -margin, margin, margin)
                             .toAlignedRect();
    QImage layer(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    const Stats stats = render(
        preview, layer, toCanvas * toDevice * QTransform::fromTranslate(-pixels.x(), -pixels.y()),
        lineWidth);
    layer.setDevicePixelRatio(ratio);
    painter.save();
    painter.resetTransform();
    painter.drawImage(QPointF(pixels.topLeft()) / ratio, layer);
    painter.restore();
    return stats;
}

void StitchPreviewPainter::paintTile(QPainter& painter, const QRectF& square,
                                     const std::optional<StitchPreview>& preview, bool loaded,
                                     const QString& extension, const QPalette& palette,
                                     const QFont& font) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = square.width();
    const QColor accent = palette.color(QPalette::Highlight);

    QPainterPath tile;
    tile.addRoundedRect(square, cornerRadius, cornerRadius);
    if (preview) {
        painter.fillPath(tile, QColor::fromRgbF(0.97f, 0.97f, 0.97f));
    } else {
        QColor tint = accent;
        tint.setAlphaF(0.14f);
        painter.fillPath(tile, tint);
    }

    if (preview) {
        const qreal inset = side * 0.1;
        painter.save();
        painter.translate(square.topLeft() + QPointF(inset, inset));
        draw(*preview, painter, QSizeF(side - 2 * inset, side - 2 * inset));
        painter.restore();

        // A hairline inside the edge so a light design still reads as a tile.
        QColor edge = palette.color(QPalette::WindowText);
        edge.setAlphaF(0.1f);
        painter.setPen(QPen(edge, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(square.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5,
                                cornerRadius - 0.5);
    } else if (loaded) {
        QFont bold = font;
        bold.setBold(true);
        bold.setPixelSize(std::max(1, qRound(side * 0.24)));
        painter.setFont(bold);
        painter.setPen(accent);
        painter.drawText(square, Qt::AlignCenter, extension.toUpper());
    }
    painter.restore();
}
