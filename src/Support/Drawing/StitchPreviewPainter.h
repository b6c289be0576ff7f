#pragma once

#include "Designs/StitchPreview.h"

#include <QSizeF>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

class QFont;
class QImage;
class QPainter;
class QPalette;
class QRectF;
class QTransform;

// Draws stitch previews: the tile of a design on a card, in the file manager and in the tools.
// Needs QtGui alone, so programs that only draw thumbnails link no widgets.
//
// The runs are rasterised here rather than stroked by QPainter: a preview is thousands of short,
// wide, heavily overlapping segments, which QPainter's stroker handles in time that grows faster
// than the stitch count. Each run is the union of round-capped segments (exactly what a polyline
// with round caps and joins covers), anti-aliased by distance, blended over the earlier runs.
// The runs are drawn last first, underneath what is already there, so a segment whose whole
// footprint is already opaque can be left out without changing a pixel; and the work has a
// budget proportional to the picture's area, so no file, however crafted, takes longer than a
// picture's worth of drawing.
struct StitchPreviewPainter {
    // How a preview sits in a canvas: points map to (offsetX + x * scale, offsetY + y * scale).
    struct Placement {
        double scale = 1;
        double offsetX = 0;
        double offsetY = 0;
        double lineWidth = 0.6;
    };
    static Placement placement(const StitchPreview::Rect& bounds, QSizeF canvas);

    // What one drawing did, for tests and benchmarks.
    struct Stats {
        std::size_t segments = 0;   // after leaving out moves inside one pixel
        std::size_t drawn = 0;      // rasterised
        std::size_t hidden = 0;     // left out: entirely under later stitches
        std::size_t overBudget = 0; // left out: the picture's budget was spent
        std::int64_t work = 0;      // about a nanosecond a unit
        std::int64_t budget = 0;
    };

    // Strokes the runs, scaled and centred, into a canvas of `canvas` size at the painter's
    // origin, at the resolution of the painter's device; later runs paint over earlier ones, as
    // thread does.
    static Stats draw(const StitchPreview& preview, QPainter& painter, QSizeF canvas);

    // The runs into `layer` (premultiplied ARGB, transparent on entry), design
    // points mapped to its pixels by `toLayer`, with lines `lineWidth` pixels wide.
    static Stats render(const StitchPreview& preview, QImage& layer, const QTransform& toLayer,
                        double lineWidth);

    // The whole tile in `square`: background, the preview (or, once loaded, the extension) and
    // the edge.
    static void paintTile(QPainter& painter, const QRectF& square,
                          const std::optional<StitchPreview>& preview, bool loaded,
                          const QString& extension, const QPalette& palette, const QFont& font);

    // The work one drawing may do: so much per pixel of the picture and per segment of the
    // design. Past it the earliest stitches are left out; ordinary designs stay far below.
    static constexpr std::int64_t workPerPixel = 64;
    static constexpr std::int64_t workPerSegment = 256;
    static constexpr std::int64_t segmentWorkPerPixel = 4096;
    // Real designs stay far below it at every size (a 136,000-stitch design needs under 17 M at
    // file-manager sizes).
    static constexpr std::int64_t maxSegmentWork = 32'000'000;
};
