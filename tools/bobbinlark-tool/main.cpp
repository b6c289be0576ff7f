// bobbinlark-tool: the library's operations from the shell, for troubleshooting a real network
// and for benchmarks.
//
// This program links no GUI library, so the commands people time against curl start as fast as
// QtCore and QtNetwork allow. The commands that draw run in bobbinlark-tool-draw, which this
// program becomes (exec) for them.

#include "Commands.h"

#include <QCoreApplication>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include <unistd.h>

namespace {

const std::map<QString, std::function<int(const QStringList&)>>& commands() {
    static const std::map<QString, std::function<int(const QStringList&)>> table{
        {QStringLiteral("info"), &Commands::info},
        {QStringLiteral("upload"), &Commands::upload},
        {QStringLiteral("scan"), &Commands::scan},
        {QStringLiteral("send"), &Commands::send},
        {QStringLiteral("add-machine"), &Commands::addMachine},
        {QStringLiteral("preview"), &Commands::preview},
    };
    return table;
}

// Whether the command line asks for a picture.
bool draws(int argc, char* argv[]) {
    if (argc < 2)
        return false;
    const std::string_view command(argv[1]);
    if (command == "contact-sheet")
        return true;
    if (command != "preview")
        return false;
    for (int i = 2; i < argc; ++i)
        if (std::string_view(argv[i]) == "--png")
            return true;
    return false;
}

// The folder of this program's own file, from /proc (no Qt object exists yet).
std::string ownFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string file(path, static_cast<std::size_t>(length));
    return file.substr(0, file.rfind('/'));
}

// Replaces this process with the drawing program, beside this one in a build tree or in its
// libexec folder when installed; returns only when that failed.
int runDrawingProgram(char* argv[]) {
    const std::string folder = ownFolder();
    const std::string candidates[] = {
        folder + "/bobbinlark-tool-draw",
        folder + "/" BOBBINLARK_DRAW_FROM_BINDIR "/bobbinlark-tool-draw",
    };
    for (const std::string& candidate : candidates) {
        if (access(candidate.c_str(), X_OK) != 0)
            continue;
        argv[0] = const_cast<char*>(candidate.c_str());
        execv(candidate.c_str(), argv);
        std::fprintf(stderr, "bobbinlark-tool: cannot start %s: %s\n", candidate.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::fprintf(stderr, "bobbinlark-tool: bobbinlark-tool-draw, which draws pictures, is not "
                         "installed\n");
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (draws(argc, argv))
        return runDrawingProgram(argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Bobbinlark"));
    QCoreApplication::setApplicationName(QStringLiteral("Bobbinlark"));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return Commands::usage();
    const auto found = commands().find(arguments.takeFirst());
    if (found == commands().end())
        return Commands::usage();
    return found->second(arguments);
}
