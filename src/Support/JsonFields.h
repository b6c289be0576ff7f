#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
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

// A list of records as one compact JSON array of their objects (T::toJson).
template <typename T>
QByteArray encodeArray(const QList<T>& items) {
    QJsonArray array;
    for (const T& item : items)
        array.append(item.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

// The reverse (T::fromJson); fails as a whole when the text is not an array of objects or any
// object does not decode.
template <typename T>
std::optional<QList<T>> decodeArray(const QByteArray& data) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    QList<T> items;
    items.reserve(array.size());
    for (const QJsonValue& value : array) {
        if (!value.isObject())
            return std::nullopt;
        std::optional<T> item = T::fromJson(value.toObject());
        if (!item)
            return std::nullopt;
        items.append(std::move(*item));
    }
    return items;
}

// What a stored array gave when read record by record.
template <typename T>
struct ArrayRead {
    QList<T> items;    // every record that read, in stored order
    bool whole = true; // false when the text was no array or any element did not read
};

// The records of an array that read, skipping the others: one damaged record must not cost
// the rest. Text that is no JSON array gives no records.
template <typename T>
ArrayRead<T> decodeEach(const QByteArray& data) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return {{}, false};
    const QJsonArray array = document.array();
    ArrayRead<T> read;
    read.items.reserve(array.size());
    for (const QJsonValue& value : array) {
        std::optional<T> item = value.isObject() ? T::fromJson(value.toObject()) : std::nullopt;
        if (item)
            read.items.append(std::move(*item));
        else
            read.whole = false;
    }
    return read;
}

} // namespace JsonFields
