#pragma once

#include "Designs/StitchPreview.h"

#include <QImage>
#include <QStringList>
#include <QUrl>

#include <optional>

// The subcommands of bobbinlark-tool that draw. They need QtGui's fonts and painter, which cost
// the other commands their start-up time, so they live in a program of their own,
// bobbinlark-tool-draw, that bobbinlark-tool hands them to. Exit codes as in Commands.h.
namespace DrawingCommands {

// preview FILE --png OUT [--size N]: the preview as JSON, and its thumbnail as a PNG.
int preview(const QStringList& arguments);
// contact-sheet [--size N] OUT.png FILE...: the thumbnails of many designs in one picture.
int contactSheet(const QStringList& arguments);

// The thumbnail tile of a design, `size` pixels square.
QImage renderThumbnail(const QUrl& fileURL, const std::optional<StitchPreview>& preview, int size);

} // namespace DrawingCommands
