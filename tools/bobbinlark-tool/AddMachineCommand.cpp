// `bobbinlark-tool add-machine NAME HOST [PORT]`: saves a machine in the user's store and
// selects it, as the machine editor would; used to set up demos and end-to-end runs.

#include "Commands.h"
#include "State/AppState.h"
#include "Support/JsonFields.h"
#include "Support/SettingsStore.h"

#include <cstdio>

int Commands::addMachine(const QStringList& arguments) {
    if (arguments.size() < 2 || arguments.size() > 3)
        return usage();
    const QString name = arguments[0].trimmed();
    const std::optional<QString> host = SavedMachine::normalizeHost(arguments[1]);
    const std::optional<qint64> port =
        arguments.size() == 3 ? parsePort(arguments[2]) : std::optional<qint64>(443);
    if (name.isEmpty() || !host || !port) {
        std::fputs("add-machine: needs a name, a host and a port from 1 to 65535\n", stderr);
        return 2;
    }
    AppState state(SettingsStore::openUserStore());
    const SavedMachine added = state.machineList().addMachine(SavedMachine{
        QUuid::createUuid(), name, *host, *port, std::nullopt, std::nullopt, std::nullopt});
    // A machine that was not stored was not added.
    if (const std::optional<QString>& problem = state.store().storeProblem()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(*problem));
        return 1;
    }
    std::printf("%s\n", qUtf8Printable(JsonFields::uuidText(added.id)));
    return 0;
}
