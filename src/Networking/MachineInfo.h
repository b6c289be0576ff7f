#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// What one machine reported about itself, where it answered and which certificate it showed.
struct MachineInfo {
    QString host;
    qint64 port = 443;
    std::optional<QString> name;
    std::optional<QString> machineID;
    std::optional<QString> serial;
    std::optional<QString> firmwareVersion;
    std::optional<qint64> modelCode;
    std::optional<double> embroideryWidthMM;
    std::optional<double> embroideryHeightMM;
    std::optional<qint64> needles;
    std::optional<qint64> maxUploadBytes;
    std::optional<QString> certificateFingerprint;

    QString displayHost() const;

    // "260 × 160 mm"; present only when both lengths are.
    std::optional<QString> embroideryAreaText() const;

    // A whole number without decimals, anything else with one decimal.
    static QString mm(double millimetres);

    // Decodes an "/info" reply. Absent when the body is not one JSON object, when a known key
    // holds the wrong JSON type, or when it names neither a machine id nor a serial.
    static std::optional<MachineInfo> parse(const QByteArray& body, const QString& host,
                                            qint64 port, const std::optional<QString>& fingerprint);

    // The fields under their own names, absent ones left out.
    QJsonObject toJson() const;

    friend bool operator==(const MachineInfo&, const MachineInfo&) = default;
};
