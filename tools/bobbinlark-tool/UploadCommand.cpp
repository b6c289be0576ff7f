// bobbinlark-tool upload HOST [PORT] FILE [--max-bytes N]: sends one design.

#include "Commands.h"

#include "Designs/DesignFileStream.h"
#include "Networking/BrotherAPIClient.h"
#include "Networking/CertificateTrustSession.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <memory>

int Commands::upload(const QStringList& arguments) {
    QStringList positional;
    qint64 maxBytes = BrotherAPIClient::defaultMaxUploadBytes;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1StringView("--max-bytes")) {
            bool ok = false;
            maxBytes = arguments.value(i + 1).toLongLong(&ok);
            if (!ok || maxBytes < 0)
                return usage();
            ++i;
        } else {
            positional << arguments[i];
        }
    }
    if (positional.size() < 2 || positional.size() > 3)
        return usage();
    const QString host = positional.first();
    const QString path = positional.last();
    const std::optional<qint64> port =
        positional.size() == 3 ? parsePort(positional[1]) : std::optional<qint64>(443);
    if (!port)
        return usage();

    // Only a regular file, and no more of it than the limit allows: a FIFO or a link to a
    // device must not hang or exhaust the tool.
    const qint64 limit = std::min(maxBytes, DesignFile::sendLimit);
    // Streamed from the file as the machine takes it: the design is most of what an upload
    // would otherwise hold.
    auto file = DesignFileStream::open(path, limit);
    if (std::holds_alternative<DesignFile::TooLarge>(file)) {
        const QString message = limit < maxBytes
                                    ? DesignFile::overSendLimitMessage()
                                    : BrotherAPIError::tooLarge(limit).errorDescription();
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    if (!std::holds_alternative<DesignFileStream>(file)) {
        std::fprintf(stderr, "Couldn't read %s.\n", qPrintable(path));
        return 1;
    }
    auto design = std::make_shared<DesignFileStream>(std::get<DesignFileStream>(std::move(file)));
    const CertificateTrustSession::StreamedPart part{
        design->size(), [design](qint64 most) { return design->next(most); }};
    const BrotherAPIClient client(host, *port, CertificateTrustSession::shared());
    const std::optional<BrotherAPIError> error =
        QCoro::waitFor(client.upload(part, QFile::encodeName(QFileInfo(path).fileName()), limit));
    if (error) {
        std::fprintf(stderr, "%s\n", qPrintable(error->errorDescription()));
        return 1;
    }
    std::printf("Sent %s\n", qPrintable(path));
    return 0;
}
