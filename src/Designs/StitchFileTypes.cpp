#include "Designs/StitchFileTypes.h"

#include <QCoreApplication>

namespace StitchFileTypes {

const QStringList& sendableExtensions() {
    static const QStringList extensions{QStringLiteral("pes"), QStringLiteral("phc"),
                                        QStringLiteral("dst"), QStringLiteral("pen")};
    return extensions;
}

QString displayList() {
    QStringList dotted;
    for (const QString& extension : sendableExtensions())
        dotted.append(u'.' + extension);
    const QString last = dotted.takeLast();
    return QCoreApplication::translate("StitchFileTypes", "%1 or %2",
                                       "the end of a list: \".pes, .phc, .dst or .pen\"")
        .arg(dotted.join(
                 QCoreApplication::translate("StitchFileTypes", ", ", "between items of a list")),
             last);
}

QString extensionOf(const QUrl& fileURL) {
    const QString name = fileURL.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    // A leading dot names a hidden file, not an extension.
    if (dot <= 0)
        return {};
    return name.sliced(dot + 1).toLower();
}

bool isSendable(const QUrl& fileURL) {
    return sendableExtensions().contains(extensionOf(fileURL));
}

} // namespace StitchFileTypes
