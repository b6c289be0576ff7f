#include "Networking/MachineInfo.h"

#include "Models/SavedMachine.h"
#include "Support/JsonFields.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocale>

#include <cmath>

QString MachineInfo::displayHost() const {
    return displayHostText(host, port);
}

std::optional<QString> MachineInfo::embroideryAreaText() const {
    if (!embroideryWidthMM || !embroideryHeightMM)
        return std::nullopt;
    return QCoreApplication::translate("MachineInfo", "%1 × %2 mm",
                                       "the embroidery area's width and height")
        .arg(mm(*embroideryWidthMM), mm(*embroideryHeightMM));
}

QString MachineInfo::mm(double millimetres) {
    // Whole numbers beyond the 64-bit range fall through to one decimal, which reads fine.
    constexpr double int64Limit = 9.2e18;
    // The reader's decimal sign ("129,5" in German), without thousands separators.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (std::isfinite(millimetres) && millimetres == std::round(millimetres) &&
        std::fabs(millimetres) < int64Limit)
        return locale.toString(static_cast<qint64>(millimetres));
    return locale.toString(millimetres, 'f', 1);
}

std::optional<MachineInfo> MachineInfo::parse(const QByteArray& body, const QString& host,
                                              qint64 port,
                                              const std::optional<QString>& fingerprint) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject reply = document.object();

    const auto model = JsonFields::integer(reply, QLatin1StringView("model"));
    const auto version = JsonFields::string(reply, QLatin1StringView("version"));
    const auto serial = JsonFields::string(reply, QLatin1StringView("serial"));
    const auto name = JsonFields::string(reply, QLatin1StringView("name"));
    const auto features = JsonFields::object(reply, QLatin1StringView("features"));
    const auto machineID = JsonFields::string(reply, QLatin1StringView("machine-id"));
    if (!model.ok || !version.ok || !serial.ok || !name.ok || !features.ok || !machineID.ok)
        return std::nullopt;

    JsonFields::Read<double> width;
    JsonFields::Read<double> height;
    JsonFields::Read<qint64> needles;
    JsonFields::Read<qint64> postSize;
    if (features.value) {
        width = JsonFields::number(*features.value, QLatin1StringView("embwidth"));
        height = JsonFields::number(*features.value, QLatin1StringView("embheight"));
        needles = JsonFields::integer(*features.value, QLatin1StringView("needles"));
        postSize = JsonFields::integer(*features.value, QLatin1StringView("postsize"));
        if (!width.ok || !height.ok || !needles.ok || !postSize.ok)
            return std::nullopt;
    }

    // A reply that identifies no machine is not a machine.
    if (!machineID.value && !serial.value)
        return std::nullopt;

    MachineInfo info;
    info.host = host;
    info.port = port;
    if (name.value) {
        const QString trimmed = name.value->trimmed();
        if (!trimmed.isEmpty())
            info.name = trimmed;
    }
    info.machineID = machineID.value;
    info.serial = serial.value;
    info.firmwareVersion = version.value;
    info.modelCode = model.value;
    // The machine reports lengths in tenths of a millimetre.
    if (width.value)
        info.embroideryWidthMM = *width.value / 10.0;
    if (height.value)
        info.embroideryHeightMM = *height.value / 10.0;
    info.needles = needles.value;
    // No machine takes designs of zero bytes or fewer: such a limit is no limit reported.
    if (postSize.value.value_or(0) > 0)
        info.maxUploadBytes = postSize.value;
    info.certificateFingerprint = fingerprint;
    return info;
}

QJsonObject MachineInfo::toJson() const {
    QJsonObject object{{QStringLiteral("host"), host}, {QStringLiteral("port"), port}};
    const auto put = [&object](const char* key, const auto& value) {
        if (value)
            object.insert(QLatin1StringView(key), *value);
    };
    put("name", name);
    put("machineID", machineID);
    put("serial", serial);
    put("firmwareVersion", firmwareVersion);
    put("modelCode", modelCode);
    put("embroideryWidthMM", embroideryWidthMM);
    put("embroideryHeightMM", embroideryHeightMM);
    put("needles", needles);
    put("maxUploadBytes", maxUploadBytes);
    put("certificateFingerprint", certificateFingerprint);
    return object;
}
