// bobbinlark-thumbnailer -s SIZE INPUT OUTPUT: the stitches of a design file as a PNG, for file
// managers that follow the freedesktop thumbnailer convention. INPUT is a path or a file:// URI.
// Exits 1 without writing when the file has no preview, so the file manager keeps its icon.

#include "Designs/PreviewReader.h"
#include "Designs/StitchFileTypes.h"
#include "Designs/StitchPreview.h"
#include "Support/Drawing/StitchPreviewPainter.h"

#include <QCoreApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <cstdio>

namespace {

int usage() {
    std::fputs("usage: bobbinlark-thumbnailer -s SIZE INPUT OUTPUT\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    // No GUI application: drawing into an image needs no display, platform plugin or font
    // database, and the file manager's environment may name a display that is slow or absent.
    QCoreApplication app(argc, argv);

    QStringList arguments = QCoreApplication::arguments().mid(1);
    int size = 128;
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"-s" && i + 1 < arguments.size()) {
            bool ok = false;
            size = arguments[++i].toInt(&ok);
            // Thumbnail sizes go up to 1024 (xx-large); anything else is a mistake.
            if (!ok || size < 1 || size > 1024)
                return usage();
        } else {
            files.append(arguments[i]);
        }
    }
    if (files.size() != 2)
        return usage();

    const QString& input = files[0];
    QUrl fileURL;
    if (input.startsWith(u"file:")) {
        fileURL = QUrl(input);
        if (!fileURL.isLocalFile())
            return 1;
    } else if (input.contains(u"://")) {
        return 1; // only local files are read
    } else {
        fileURL = QUrl::fromLocalFile(input);
    }

    const std::optional<StitchPreview> preview = PreviewReader::read(fileURL);
    if (!preview)
        return 1;

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // A light palette: the tile is near-white whatever the desktop's theme.
    StitchPreviewPainter::paintTile(painter, QRectF(0, 0, size, size), preview, true,
                                    StitchFileTypes::extensionOf(fileURL), QPalette(Qt::white),
                                    QFont()); // only for the label of a design without stitches
    painter.end();
    if (!image.save(files[1], "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(files[1]));
        return 1;
    }
    return 0;
}
