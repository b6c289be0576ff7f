// bobbinlark-tool info HOST [PORT]: asks one machine what it is.

#include "Commands.h"

#include "Networking/BrotherAPIClient.h"
#include "Networking/CertificateTrustSession.h"

#include <QJsonDocument>

#include <cstdio>

int Commands::info(const QStringList& arguments) {
    if (arguments.size() < 1 || arguments.size() > 2)
        return usage();
    const QString host = arguments[0];
    const std::optional<qint64> port =
        arguments.size() == 2 ? parsePort(arguments[1]) : std::optional<qint64>(443);
    if (!port)
        return usage();

    const BrotherAPIClient client(host, *port, CertificateTrustSession::shared());
    const std::optional<MachineInfo> info = QCoro::waitFor(client.fetchInfo(infoTimeoutSeconds));
    if (!info) {
        std::fprintf(stderr, "No machine answered at %s:%lld.\n", qPrintable(host),
                     static_cast<long long>(*port));
        return 1;
    }
    std::printf("%s\n", QJsonDocument(info->toJson()).toJson(QJsonDocument::Compact).constData());
    return 0;
}
