#include "Models/SavedMachine.h"

#include "Support/JsonFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

// An optional sign followed by decimal digits, within the signed 64-bit range.
bool parsesAsInteger(QStringView text, qint64* value = nullptr) {
    QStringView digits = text;
    if (!digits.isEmpty() && (digits.front() == u'+' || digits.front() == u'-'))
        digits = digits.sliced(1);
    if (digits.isEmpty())
        return false;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
    }
    bool ok = false;
    const qint64 parsed = text.front() == u'+' ? digits.toLongLong(&ok) : text.toLongLong(&ok);
    if (ok && value)
        *value = parsed;
    return ok;
}

bool isIPv4Label(QStringView label) {
    qint64 value = -1;
    return parsesAsInteger(label, &value) && value >= 0 && value <= 255;
}

bool isHostLabel(QStringView label) {
    auto isAlnum = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'); };
    if (label.isEmpty() || !isAlnum(label.front()) || !isAlnum(label.back()))
        return false;
    for (QChar c : label) {
        if (!isAlnum(c) && c != u'-')
            return false;
    }
    return true;
}

void insertOptional(QJsonObject& object, QLatin1StringView key,
                    const std::optional<QString>& value) {
    if (value)
        object.insert(key, *value);
}

} // namespace

QString displayHostText(const QString& host, qint64 port) {
    return port == 443 ? host : host + u':' + QString::number(port);
}

QString connectionHost(const QString& host) {
    const QList<QStringView> labels = QStringView(host).split(u'.');
    if (labels.size() != 4)
        return host;
    QStringList decimal;
    for (QStringView label : labels) {
        qint64 value = -1;
        if (!parsesAsInteger(label, &value) || value < 0 || value > 255)
            return host;
        decimal.append(QString::number(value));
    }
    return decimal.join(u'.');
}

QString SavedMachine::displayHost() const {
    return displayHostText(host, port);
}

std::optional<QString> SavedMachine::normalizeHost(const QString& typed) {
    static const QRegularExpression scheme(QStringLiteral("^[a-z]+://"));
    static const QRegularExpression pathAndAfter(QStringLiteral("[/?#].*$"),
                                                 QRegularExpression::DotMatchesEverythingOption);

    QString text = typed.trimmed();
    text.remove(scheme);
    text.remove(pathAndAfter);
    text = text.toLower();
    if (text.isEmpty())
        return std::nullopt;

    // A port typed after the host is dropped; the port has its own field.
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon >= 0 && !text.contains(u'[')) {
        const QStringView before = QStringView(text).first(colon);
        const QStringView after = QStringView(text).sliced(colon + 1);
        if (parsesAsInteger(after) && (before.contains(u'.') || before.contains(u'-')))
            text.truncate(colon);
    }

    const QList<QStringView> labels = QStringView(text).split(u'.');
    if (labels.size() == 4) {
        for (QStringView label : labels) {
            if (!isIPv4Label(label))
                return std::nullopt;
        }
        return text;
    }
    for (QStringView label : labels) {
        if (!isHostLabel(label))
            return std::nullopt;
    }
    return text;
}

QJsonObject SavedMachine::toJson() const {
    QJsonObject object{
        {QLatin1StringView("id"), JsonFields::uuidText(id)},
        {QLatin1StringView("name"), name},
        {QLatin1StringView("host"), host},
        {QLatin1StringView("port"), port},
    };
    insertOptional(object, QLatin1StringView("model"), model);
    insertOptional(object, QLatin1StringView("fingerprint"), fingerprint);
    insertOptional(object, QLatin1StringView("machineID"), machineID);
    return object;
}

std::optional<SavedMachine> SavedMachine::fromJson(const QJsonObject& object) {
    using namespace JsonFields;
    const auto idText = string(object, QLatin1StringView("id"));
    const auto nameText = string(object, QLatin1StringView("name"));
    const auto hostText = string(object, QLatin1StringView("host"));
    const auto portNumber = integer(object, QLatin1StringView("port"));
    const auto modelText = string(object, QLatin1StringView("model"));
    const auto fingerprintText = string(object, QLatin1StringView("fingerprint"));
    const auto machineIDText = string(object, QLatin1StringView("machineID"));
    if (!idText.value || !nameText.value || !hostText.value || !portNumber.value)
        return std::nullopt;
    // A model that does not read costs the model alone. The pins do not: one that cannot be read
    // must never turn into no pin, which would trust whatever answers at that address next.
    if (!idText.ok || !nameText.ok || !hostText.ok || !portNumber.ok || !fingerprintText.ok ||
        !machineIDText.ok)
        return std::nullopt;
    const auto uuid = parseUuid(*idText.value);
    if (!uuid)
        return std::nullopt;
    return SavedMachine{*uuid,
                        *nameText.value,
                        *hostText.value,
                        *portNumber.value,
                        modelText.ok ? modelText.value : std::nullopt,
                        fingerprintText.value,
                        machineIDText.value};
}

QByteArray SavedMachine::encodeList(const QList<SavedMachine>& items) {
    return JsonFields::encodeArray(items);
}

std::optional<QList<SavedMachine>> SavedMachine::decodeList(const QByteArray& data) {
    return JsonFields::decodeArray<SavedMachine>(data);
}

size_t qHash(const SavedMachine& machine, size_t seed) noexcept {
    // Absent and present optionals hash differently: the presence flag goes in first.
    auto hashOptional = [](size_t h, const std::optional<QString>& value) {
        h = qHashMulti(h, value.has_value());
        return value ? qHashMulti(h, *value) : h;
    };
    size_t h = qHashMulti(seed, machine.id, machine.name, machine.host, machine.port);
    h = hashOptional(h, machine.model);
    h = hashOptional(h, machine.fingerprint);
    return hashOptional(h, machine.machineID);
}
