#include "support/Machines.h"

#include "Support/SettingsStore.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/TemporaryStore.h"

#include <QTcpServer>

SavedMachine savedMachine(MachineFields fields) {
    return SavedMachine{fields.id,
                        std::move(fields.name),
                        std::move(fields.host),
                        fields.port,
                        std::move(fields.model),
                        std::move(fields.fingerprint),
                        std::move(fields.machineID)};
}

SavedMachine savedMachineAt(const FakeMachine& fake, MachineFields fields) {
    fields.host = fake.host();
    fields.port = fake.port();
    return savedMachine(std::move(fields));
}

QStringList machineNames(const QList<SavedMachine>& machines) {
    QStringList names;
    for (const SavedMachine& machine : machines)
        names.append(machine.name);
    return names;
}

QList<QByteArray> receivedNames(const FakeMachine& fake) {
    QList<QByteArray> names;
    for (const FakeMachine::Request& request : fake.requests()) {
        if (const auto design = FakeMachine::designFrom(request))
            names.append(design->fileName);
    }
    return names;
}

QList<SavedMachine> storedMachines(const TemporaryStore& store) {
    return SavedMachine::decodeList(store.read(SettingsStore::machinesKey).toByteArray())
        .value_or(QList<SavedMachine>{});
}

quint16 closedPort(const QString& host) {
    QTcpServer probe;
    return probe.listen(QHostAddress(host)) ? probe.serverPort() : 0;
}
