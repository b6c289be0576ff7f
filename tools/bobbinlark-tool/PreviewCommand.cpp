// bobbinlark-tool preview FILE [--png OUT] [--size N]: the decoded preview as JSON (the picture
// is drawn by DrawingPreviewCommand.cpp).

#include "Commands.h"
#include "Designs/PreviewReader.h"
#include "Designs/SizeWarning.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QString hexColor(std::uint32_t color) {
    return QStringLiteral("%1").arg(color & 0xFFFFFF, 6, 16, QChar(u'0')).toUpper();
}

} // namespace

QByteArray Commands::previewJson(const std::optional<StitchPreview>& preview) {
    if (!preview)
        return "null";
    QJsonArray runs;
    for (const StitchPreview::Run& run : preview->runs) {
        QJsonArray points;
        for (const StitchPreview::Point& point : preview->pointsOf(run))
            points.append(QJsonArray{point.x, point.y});
        runs.append(QJsonObject{{QStringLiteral("color"), hexColor(run.color)},
                                {QStringLiteral("points"), points}});
    }
    const StitchPreview::Rect& b = preview->bounds;
    const StitchPreview::Size size = preview->sizeMM();
    const QJsonObject object{{QStringLiteral("bounds"), QJsonArray{b.x, b.y, b.width, b.height}},
                             {QStringLiteral("size"), SizeWarning::sizeText(size)},
                             {QStringLiteral("sizeMM"), QJsonArray{size.width, size.height}},
                             {QStringLiteral("stitches"), qint64(preview->stitchCount)},
                             {QStringLiteral("colors"), qint64(preview->colorCount)},
                             {QStringLiteral("runs"), runs}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Commands::PreviewRequest>
Commands::parsePreviewArguments(const QStringList& arguments) {
    PreviewRequest request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--png" && i + 1 < arguments.size()) {
            request.png = arguments[++i];
        } else if (argument == u"--size" && i + 1 < arguments.size()) {
            bool ok = false;
            request.size = arguments[++i].toInt(&ok);
            if (!ok || request.size < 1 || request.size > 4096)
                return std::nullopt;
        } else if (request.file.isEmpty() && !argument.startsWith(u"--")) {
            request.file = argument;
        } else {
            return std::nullopt;
        }
    }
    if (request.file.isEmpty())
        return std::nullopt;
    return request;
}

int Commands::preview(const QStringList& arguments) {
    const std::optional<PreviewRequest> request = parsePreviewArguments(arguments);
    // A picture is drawn only by the drawing program, which bobbinlark-tool starts for it.
    if (!request || !request->png.isEmpty())
        return usage();
    const std::optional<StitchPreview> preview =
        PreviewReader::read(QUrl::fromLocalFile(request->file));
    const QByteArray text = previewJson(preview) + '\n';
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    return preview ? 0 : 1;
}
