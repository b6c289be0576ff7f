// bobbinlark-tool-draw: the commands of bobbinlark-tool that draw (see DrawingCommands.h).
// bobbinlark-tool starts it in its own place, with its own command line.

#include "Commands.h"
#include "DrawingCommands.h"

#include <QGuiApplication>

int main(int argc, char* argv[]) {
    // Nothing opens a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Bobbinlark"));
    QCoreApplication::setApplicationName(QStringLiteral("Bobbinlark"));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return Commands::usage();
    const QString command = arguments.takeFirst();
    if (command == u"preview")
        return DrawingCommands::preview(arguments);
    if (command == u"contact-sheet")
        return DrawingCommands::contactSheet(arguments);
    return Commands::usage();
}
