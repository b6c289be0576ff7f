#include "Models/SendStatus.h"

#include "Support/Overloaded.h"

#include <QCoreApplication>

#include <algorithm>

QString describe(const SendStatus& status) {
    using namespace SendStatuses;
    return std::visit(
        Overloaded{
            [](const Sending& s) {
                return QStringLiteral("sending %1 %2/%3").arg(s.fileName).arg(s.index).arg(s.total);
            },
            [](const Sent& s) {
                QString text = QStringLiteral("sent %1 to %2").arg(s.summary, s.machine);
                for (const QString& warning : s.warningSummary())
                    text += u'\n' + warning;
                return text;
            },
            [](const Error& e) { return QStringLiteral("error %1").arg(e.message); },
            [](const Idle&) { return QStringLiteral("idle"); },
        },
        status);
}

namespace {

// The first `shown` of `warnings`, and "and N more" for the rest, if any.
QStringList firstWarnings(const QStringList& warnings, qsizetype shown) {
    if (warnings.size() <= shown)
        return warnings;
    QStringList lines = warnings.first(shown);
    const int more = static_cast<int>(warnings.size() - shown);
    // Translated under the size warning's name, where the text has always been.
    lines.append(QCoreApplication::translate("SizeWarning", "and %n more", nullptr, more));
    return lines;
}

} // namespace

QStringList SendStatuses::Sent::warningSummary() const {
    return firstWarnings(warnings, shownWarnings);
}

QStringList SendStatuses::Sent::foldedWarnings(qsizetype lines) const {
    if (warnings.size() <= lines)
        return warnings;
    return firstWarnings(warnings, std::max<qsizetype>(lines - 1, 0));
}
