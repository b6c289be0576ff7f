#pragma once

// What every preview a reader returns must satisfy, whatever the bytes; a breach aborts so the
// fuzzer reports it.

#include "Designs/DSTReader.h"
#include "Designs/PECReader.h"
#include "Designs/StitchPreview.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline QByteArrayView asBytes(const uint8_t* data, size_t size) {
    return QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline void checkPreview(const std::optional<StitchPreview>& preview) {
    if (!preview)
        return;
    const StitchPreview::Rect& b = preview->bounds;
    if (preview->runs.empty() || b.width < 0 || b.height < 0 || (b.width == 0 && b.height == 0))
        std::abort();
    // Every run has stitches and a colour block; a block may hold several runs.
    const auto runCount = static_cast<std::int64_t>(preview->runs.size());
    if (preview->stitchCount < runCount || preview->colorCount < 1 ||
        preview->colorCount > runCount)
        std::abort();
    const StitchPreview::Size size = preview->sizeMM();
    if (!(size.width >= 0) || !(size.height >= 0))
        std::abort();
    for (const StitchPreview::Run& run : preview->runs) {
        if (run.begin + 2 > run.end || run.end > preview->points.size() || run.color > 0xFFFFFF)
            std::abort();
        for (const StitchPreview::Point& p : preview->pointsOf(run)) {
            if (p.x < b.x || p.y < b.y || p.x > b.x + b.width || p.y > b.y + b.height)
                std::abort();
        }
    }
}
