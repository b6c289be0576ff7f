#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// One recent send: which file went to which machine, when, and how it went.
struct SendLogEntry {
    // Written out so that an entry made without a warning needs no empty one.
    SendLogEntry() = default;
    SendLogEntry(QUuid entryID, double entryDate, QString machine, QUrl file, bool succeeded,
                 QString text, std::optional<QString> sizeWarning = std::nullopt)
        : id(entryID)
        , date(entryDate)
        , machineName(std::move(machine))
        , fileURL(std::move(file))
        , ok(succeeded)
        , message(std::move(text))
        , warning(std::move(sizeWarning)) {}

    QUuid id;
    // Seconds since 2001-01-01 00:00:00 UTC, kept exactly as stored.
    double date = 0;
    QString machineName;
    QUrl fileURL;
    bool ok = false;
    QString message;
    // Said beside a send that went through: the design is larger than the machine's area.
    std::optional<QString> warning;

    QDateTime dateTime() const;
    // The file as the log compares files: "." and ".." resolved, links and letter case not.
    static QUrl standardized(const QUrl& fileURL);
    static double dateFrom(const QDateTime& time);

    QJsonObject toJson() const;
    static std::optional<SendLogEntry> fromJson(const QJsonObject& object);

    // The stored log: a compact JSON array, newest first. Decoding fails as a whole.
    static QByteArray encodeList(const QList<SendLogEntry>& entries);
    static std::optional<QList<SendLogEntry>> decodeList(const QByteArray& data);

    friend bool operator==(const SendLogEntry&, const SendLogEntry&) = default;
};
