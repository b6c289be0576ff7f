#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// Run-time reachability of a saved machine; never persisted.
enum class Reachability { unknown, checking, reachable, unreachable };

// A machine the user added: what to call it, where to reach it, and what we learnt about it.
struct SavedMachine {
    QUuid id;
    QString name;
    QString host;
    qint64 port = 443;
    std::optional<QString> model;
    std::optional<QString> fingerprint;
    std::optional<QString> machineID;

    // The host alone on port 443, otherwise "host:port".
    QString displayHost() const;

    // Validates typed host text; absent when it is not an acceptable host.
    static std::optional<QString> normalizeHost(const QString& typed);

    QJsonObject toJson() const;
    static std::optional<SavedMachine> fromJson(const QJsonObject& object);

    // The stored list: a compact JSON array. Decoding fails as a whole when any record fails.
    static QByteArray encodeList(const QList<SavedMachine>& machines);
    static std::optional<QList<SavedMachine>> decodeList(const QByteArray& data);

    friend bool operator==(const SavedMachine&, const SavedMachine&) = default;
};

// "host" or "host:port", the way every screen shows an address.
QString displayHostText(const QString& host, qint64 port);

// The host a connection goes to. A four-part numeric address is written in plain decimal:
// machines show their address with leading zeros ("192.168.001.010"), which people type as
// they see it and mean in decimal, while URL parsers read such parts as octal (010 is 8) and
// would reach another device. Every other host is returned unchanged.
QString connectionHost(const QString& host);

size_t qHash(const SavedMachine& machine, size_t seed = 0) noexcept;

template <>
struct std::hash<SavedMachine> {
    size_t operator()(const SavedMachine& machine) const noexcept { return qHash(machine); }
};
