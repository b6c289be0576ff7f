#include "Models/SendLogEntry.h"

#include "Support/JsonFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace {

// 2001-01-01 00:00:00 UTC in milliseconds since the Unix epoch.
constexpr qint64 referenceDateMSecs = 978307200000;

} // namespace

QDateTime SendLogEntry::dateTime() const {
    // A damaged store can hold any double; keep the conversion defined (about ±285,000 years).
    constexpr double limitMSecs = 9.0e15;
    const double msecs =
        std::clamp(std::isfinite(date) ? date * 1000.0 : 0.0, -limitMSecs, limitMSecs);
    return QDateTime::fromMSecsSinceEpoch(referenceDateMSecs + qRound64(msecs), QTimeZone::utc());
}

QUrl SendLogEntry::standardized(const QUrl& fileURL) {
    return fileURL.adjusted(QUrl::NormalizePathSegments);
}

double SendLogEntry::dateFrom(const QDateTime& time) {
    return static_cast<double>(time.toMSecsSinceEpoch() - referenceDateMSecs) / 1000.0;
}

QJsonObject SendLogEntry::toJson() const {
    QJsonObject object{
        {QLatin1StringView("id"), JsonFields::uuidText(id)},
        {QLatin1StringView("date"), date},
        {QLatin1StringView("machineName"), machineName},
        {QLatin1StringView("fileURL"), fileURL.toString(QUrl::FullyEncoded)},
        {QLatin1StringView("ok"), ok},
        {QLatin1StringView("message"), message},
    };
    if (warning)
        object.insert(QLatin1StringView("warning"), *warning);
    return object;
}

std::optional<SendLogEntry> SendLogEntry::fromJson(const QJsonObject& object) {
    using namespace JsonFields;
    const auto idText = string(object, QLatin1StringView("id"));
    const auto dateNumber = number(object, QLatin1StringView("date"));
    const auto machineNameText = string(object, QLatin1StringView("machineName"));
    const auto urlText = string(object, QLatin1StringView("fileURL"));
    const auto okFlag = boolean(object, QLatin1StringView("ok"));
    const auto messageText = string(object, QLatin1StringView("message"));
    const auto warningText = string(object, QLatin1StringView("warning"));
    if (!idText.value || !dateNumber.value || !machineNameText.value || !urlText.value ||
        !okFlag.value || !messageText.value)
        return std::nullopt;
    const auto uuid = parseUuid(*idText.value);
    const QUrl url(*urlText.value, QUrl::StrictMode);
    if (!uuid || !url.isValid() || url.isEmpty())
        return std::nullopt;
    // A warning that does not read costs the warning, not the record of a design that went out.
    return SendLogEntry{*uuid,
                        *dateNumber.value,
                        *machineNameText.value,
                        url,
                        *okFlag.value,
                        *messageText.value,
                        warningText.ok ? warningText.value : std::nullopt};
}

QByteArray SendLogEntry::encodeList(const QList<SendLogEntry>& items) {
    return JsonFields::encodeArray(items);
}

std::optional<QList<SendLogEntry>> SendLogEntry::decodeList(const QByteArray& data) {
    return JsonFields::decodeArray<SendLogEntry>(data);
}
