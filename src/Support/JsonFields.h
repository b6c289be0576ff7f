#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

// Strict readers for the JSON objects we store and receive. Each reader distinguishes a key
// that is missing or null (absent) from one that holds the wrong JSON type (a failure), which
// the callers need: an absent optional is fine, a mistyped one fails the whole record.
namespace JsonFields {

// A field read: `ok` is false when the key holds a value of the wrong type.
template <typename T>
struct Read {
    bool ok = true;
    std::optional<T> value;
};

Read<QString> string(const QJsonObject& object, QLatin1StringView key);
Read<qint64> integer(const QJsonObject& object, QLatin1StringView key);
Read<double> number(const QJsonObject& object, QLatin1StringView key);
Read<bool> boolean(const QJsonObject& object, QLatin1StringView key);
Read<QJsonObject> object(const QJsonObject& object, QLatin1StringView key);

// The canonical 36-character hyphenated form in upper case.
QString uuidText(const QUuid& uuid);
// Accepts exactly the 36-character hyphenated form, hexadecimal digits in either case.
std::optional<QUuid> parseUuid(const QString& text);

} // namespace JsonFields
