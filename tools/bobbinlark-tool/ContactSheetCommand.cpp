// bobbinlark-tool contact-sheet OUT.png FILE...: the thumbnails of many designs side by side,
// each labelled with its file name, to check previews by eye.

#include "Commands.h"

#include "Support/StitchPreview.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>

int Commands::contactSheet(const QStringList& arguments) {
    if (arguments.size() < 2)
        return usage();
    const QString out = arguments.first();
    const QStringList files = arguments.mid(1);

    constexpr int tile = 160;
    constexpr int label = 28;
    constexpr int gap = 12;
    const int columns = std::min<int>(6, static_cast<int>(files.size()));
    const int rows = static_cast<int>((files.size() + columns - 1) / columns);
    QImage sheet(gap + columns * (tile + gap), gap + rows * (tile + label + gap),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x3A, 0x3A, 0x3C));

    QPainter painter(&sheet);
    QFont font = QApplication::font();
    font.setPixelSize(10);
    painter.setFont(font);
    int missing = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QUrl fileURL = QUrl::fromLocalFile(files[i]);
        const auto preview = StitchPreview::read(fileURL);
        missing += preview ? 0 : 1;
        const int x = gap + static_cast<int>(i % columns) * (tile + gap);
        const int y = gap + static_cast<int>(i / columns) * (tile + label + gap);
        painter.drawImage(x, y, renderThumbnail(fileURL, preview, tile));
        painter.setPen(Qt::white);
        painter.drawText(QRect(x, y + tile + 2, tile, label), Qt::AlignHCenter | Qt::TextWordWrap,
                         QFileInfo(files[i]).fileName());
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
