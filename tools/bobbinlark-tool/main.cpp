// bobbinlark-tool: the library's operations from the shell, for troubleshooting a real network
// and for benchmarks.

#include "Commands.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>

namespace {

struct Command {
    const char* usage;
    std::function<int(const QStringList&)> run;
};

const std::map<QString, Command>& commands() {
    static const std::map<QString, Command> table{
        {QStringLiteral("contact-sheet"),
         {"contact-sheet [--size N] OUT.png FILE...", &Commands::contactSheet}},
        {QStringLiteral("preview"), {"preview FILE [--png OUT] [--size N]", &Commands::preview}},
        {QStringLiteral("info"), {"info HOST [PORT]", Commands::info}},
        {QStringLiteral("upload"), {"upload HOST [PORT] FILE [--max-bytes N]", Commands::upload}},
        {QStringLiteral("scan"), {"scan [--port N]", &Commands::scan}},
        {QStringLiteral("send"), {"send FILE...", Commands::send}},
        {QStringLiteral("add-machine"), {"add-machine NAME HOST [PORT]", Commands::addMachine}},
    };
    return table;
}

} // namespace

int Commands::usage() {
    std::fputs("usage:\n", stderr);
    for (const auto& [name, command] : commands())
        std::fprintf(stderr, "  bobbinlark-tool %s\n", command.usage);
    return 2;
}

std::optional<qint64> Commands::parsePort(const QString& text) {
    bool ok = false;
    const qint64 port = text.toLongLong(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

namespace {

// Only the commands that draw need the GUI's fonts, palette and platform; the others start
// faster without them.
bool draws(int argc, char* argv[]) {
    if (argc < 2)
        return false;
    const QByteArrayView command(argv[1]);
    if (command == "contact-sheet")
        return true;
    if (command != "preview")
        return false;
    for (int i = 2; i < argc; ++i)
        if (QByteArrayView(argv[i]) == "--png")
            return true;
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> app;
    if (draws(argc, argv)) {
        // Nothing opens a window.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Bobbinlark"));
    QCoreApplication::setApplicationName(QStringLiteral("Bobbinlark"));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return Commands::usage();
    const auto found = commands().find(arguments.takeFirst());
    if (found == commands().end())
        return Commands::usage();
    return found->second.run(arguments);
}
