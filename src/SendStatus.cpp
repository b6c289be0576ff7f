#include "SendStatus.h"

#include "SizeWarning.h"

#include "Support/Overloaded.h"

QString describe(const SendStatus& status) {
    using namespace SendStatuses;
    return std::visit(
        Overloaded{
            [](const Sending& s) {
                return QStringLiteral("sending %1 %2/%3").arg(s.fileName).arg(s.index).arg(s.total);
            },
            [](const Sent& s) {
                QString text = QStringLiteral("sent %1 to %2").arg(s.summary, s.machine);
                for (const QString& warning : SizeWarning::summary(s.warnings))
                    text += u'\n' + warning;
                return text;
            },
            [](const Error& e) { return QStringLiteral("error %1").arg(e.message); },
            [](const Idle&) { return QStringLiteral("idle"); },
        },
        status);
}
