// bobbinlark-tool contact-sheet [--size N] OUT.png FILE...: the thumbnails of many designs side by
// side, each labelled with its file name, to check previews by eye.

#include "Commands.h"
#include "DrawingCommands.h"

#include "Designs/PreviewReader.h"
#include "Designs/StitchPreview.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>

int DrawingCommands::contactSheet(const QStringList& arguments) {
    QStringList rest = arguments;
    int tile = 160;
    if (rest.size() >= 2 && rest.first() == u"--size") {
        bool ok = false;
        tile = rest[1].toInt(&ok);
        if (!ok || tile < 8 || tile > 1024)
            return Commands::usage();
        rest = rest.mid(2);
    }
    if (rest.size() < 2)
        return Commands::usage();
    const QString out = rest.first();
    const QStringList files = rest.mid(1);

    constexpr int label = 28;
    const int gap = std::max(12, 100 - tile); // room for the names under small tiles
    const int columns = std::min<int>(6, static_cast<int>(files.size()));
    const int rows = static_cast<int>((files.size() + columns - 1) / columns);
    QImage sheet(gap + columns * (tile + gap), gap + rows * (tile + label + gap),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x3A, 0x3A, 0x3C));

    QPainter painter(&sheet);
    QFont font = QGuiApplication::font();
    font.setPixelSize(10);
    painter.setFont(font);
    int missing = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QUrl fileURL = QUrl::fromLocalFile(files[i]);
        const auto preview = PreviewReader::read(fileURL);
        missing += preview ? 0 : 1;
        const int x = gap + static_cast<int>(i % columns) * (tile + gap);
        const int y = gap + static_cast<int>(i / columns) * (tile + label + gap);
        painter.drawImage(x, y, renderThumbnail(fileURL, preview, tile));
        painter.setPen(Qt::white);
        painter.drawText(QRect(x - gap / 2, y + tile + 2, tile + gap, label),
                         Qt::AlignHCenter | Qt::TextWordWrap, QFileInfo(files[i]).fileName());
    }
    painter.end();
    if (!sheet.save(out, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%d designs, %d without preview: %s\n", static_cast<int>(files.size()), missing,
                qPrintable(out));
    return 0;
}
