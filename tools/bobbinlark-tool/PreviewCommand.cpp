// bobbinlark-tool preview FILE [--png OUT] [--size N]: the decoded preview as JSON, and
// optionally its thumbnail as a PNG.

#include "Commands.h"

#include "Models/StitchFileTypes.h"
#include "Support/StitchPreview.h"
#include "Support/StitchPreviewPainter.h"

#include <QApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPalette>

#include <cstdio>

namespace {

QString hexColor(std::uint32_t color) {
    return QStringLiteral("%1").arg(color & 0xFFFFFF, 6, 16, QChar(u'0')).toUpper();
}

QByteArray json(const std::optional<StitchPreview>& preview) {
    if (!preview)
        return "null";
    QJsonArray runs;
    for (const StitchPreview::Run& run : preview->runs) {
        QJsonArray points;
        for (const StitchPreview::Point& point : run.points)
            points.append(QJsonArray{point.x, point.y});
        runs.append(QJsonObject{{QStringLiteral("color"), hexColor(run.color)},
                                {QStringLiteral("points"), points}});
    }
    const StitchPreview::Rect& b = preview->bounds;
    const QJsonObject object{{QStringLiteral("bounds"), QJsonArray{b.x, b.y, b.width, b.height}},
                             {QStringLiteral("runs"), runs}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QImage Commands::renderThumbnail(const QUrl& fileURL, const std::optional<StitchPreview>& preview,
                                 int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    StitchPreviewPainter::paintTile(painter, QRectF(0, 0, size, size), preview, true,
                                    StitchFileTypes::extensionOf(fileURL), QApplication::palette(),
                                    QApplication::font());
    painter.end();
    return image;
}

int Commands::preview(const QStringList& arguments) {
    QString file;
    QString png;
    int size = 40;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--png" && i + 1 < arguments.size()) {
            png = arguments[++i];
        } else if (argument == u"--size" && i + 1 < arguments.size()) {
            bool ok = false;
            size = arguments[++i].toInt(&ok);
            if (!ok || size < 1 || size > 4096)
                return usage();
        } else if (file.isEmpty() && !argument.startsWith(u"--")) {
            file = argument;
        } else {
            return usage();
        }
    }
    if (file.isEmpty())
        return usage();

    const QUrl fileURL = QUrl::fromLocalFile(file);
    const std::optional<StitchPreview> preview = StitchPreview::read(fileURL);
    const QByteArray text = json(preview) + '\n';
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);

    if (!png.isEmpty() && !renderThumbnail(fileURL, preview, size).save(png, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(png));
        return 1;
    }
    return preview ? 0 : 1;
}
