#pragma once

#include "Designs/StitchPreview.h"

#include <QByteArrayView>

#include <cstdint>
#include <optional>
#include <vector>

// Brother's PEC stitch data, which PES, PEC and PHC files all carry.
struct PECReader {
    // PES and PEC alike: the magic decides where the PEC section starts.
    static std::optional<StitchPreview> readPESOrPEC(QByteArrayView bytes);
    static std::optional<StitchPreview> readPHC(QByteArrayView bytes);

private:
    static std::optional<StitchPreview> readPEC(QByteArrayView bytes, std::uint64_t offset);
    static std::optional<StitchPreview> readPECStitches(QByteArrayView bytes, std::uint64_t from,
                                                        std::vector<std::uint32_t> palette);
};
