#pragma once

#include "Designs/StitchPreview.h"

#include <QByteArrayView>

#include <cstdint>
#include <optional>
#include <vector>

// Tajima DST files: a text header that may name thread colours, then stitch records.
struct DSTReader {
    static std::optional<StitchPreview> read(QByteArrayView bytes);

private:
    // The "TC" colours the header names, in order; absent when it names none.
    static std::optional<std::vector<std::uint32_t>> colors(QByteArrayView header);
};
