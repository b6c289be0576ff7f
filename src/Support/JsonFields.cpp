#include "Support/JsonFields.h"

#include <QJsonValue>

#include <cmath>

namespace JsonFields {

namespace {

bool isAbsent(const QJsonValue& value) {
    return value.isUndefined() || value.isNull();
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

Read<QString> string(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    if (isAbsent(value))
        return {};
    if (!value.isString())
        return {false, std::nullopt};
    return {true, value.toString()};
}

Read<qint64> integer(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    if (isAbsent(value))
        return {};
    if (!value.isDouble())
        return {false, std::nullopt};
    // Qt keeps integers that fit in 64 bits exactly; anything fractional or out of range is
    // reported by toInteger falling back to the default, which we detect with two defaults.
    const qint64 first = value.toInteger(0);
    const qint64 second = value.toInteger(1);
    if (first != second)
        return {false, std::nullopt};
    return {true, first};
}

Read<double> number(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    if (isAbsent(value))
        return {};
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return {false, std::nullopt};
    return {true, value.toDouble()};
}

Read<bool> boolean(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    if (isAbsent(value))
        return {};
    if (!value.isBool())
        return {false, std::nullopt};
    return {true, value.toBool()};
}

Read<QJsonObject> object(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    if (isAbsent(value))
        return {};
    if (!value.isObject())
        return {false, std::nullopt};
    return {true, value.toObject()};
}

QString uuidText(const QUuid& uuid) {
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseUuid(const QString& text) {
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPlace ? c != u'-' : !isHexDigit(c))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

} // namespace JsonFields
