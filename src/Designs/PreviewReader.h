#pragma once

#include "Designs/StitchPreview.h"

#include <QByteArrayView>
#include <QStringView>
#include <QUrl>

#include <optional>

// A design file's stitch preview, read by the reader its extension names: dst, pes, pec or phc.
struct PreviewReader {
    // Reads a design file (a regular file within the preview bound, read whole) and decodes it.
    static std::optional<StitchPreview> read(const QUrl& fileURL);
    // Decodes a file's bytes as `read` does for a file of that (lower-case) extension.
    static std::optional<StitchPreview> read(QByteArrayView bytes, QStringView extension);
};
