// bobbinlark-tool preview FILE --png OUT [--size N]: the decoded preview as JSON and its
// thumbnail as a PNG.

#include "Commands.h"
#include "Designs/PreviewReader.h"
#include "DrawingCommands.h"

#include "Designs/StitchFileTypes.h"
#include "Support/Drawing/StitchPreviewPainter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <cstdio>

QImage DrawingCommands::renderThumbnail(const QUrl& fileURL,
                                        const std::optional<StitchPreview>& preview, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    StitchPreviewPainter::paintTile(painter, QRectF(0, 0, size, size), preview, true,
                                    StitchFileTypes::extensionOf(fileURL),
                                    QGuiApplication::palette(), QGuiApplication::font());
    painter.end();
    return image;
}

int DrawingCommands::preview(const QStringList& arguments) {
    const std::optional<Commands::PreviewRequest> request =
        Commands::parsePreviewArguments(arguments);
    if (!request)
        return Commands::usage();

    const QUrl fileURL = QUrl::fromLocalFile(request->file);
    const std::optional<StitchPreview> preview = PreviewReader::read(fileURL);
    const QByteArray text = Commands::previewJson(preview) + '\n';
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);

    if (!request->png.isEmpty() &&
        !renderThumbnail(fileURL, preview, request->size).save(request->png, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(request->png));
        return 1;
    }
    return preview ? 0 : 1;
}
