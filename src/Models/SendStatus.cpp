#include "Models/SendStatus.h"

#include "Support/Overloaded.h"

#include <QCoreApplication>

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

QStringList SendStatuses::Sent::warningSummary() const {
    if (warnings.size() <= shownWarnings)
        return warnings;
    QStringList lines = warnings.first(shownWarnings);
    const int more = static_cast<int>(warnings.size() - shownWarnings);
    // Translated under the size warning's name, where the text has always been.
    lines.append(QCoreApplication::translate("SizeWarning", "and %n more", nullptr, more));
    return lines;
}
