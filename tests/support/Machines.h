#pragma once

#include "Models/SavedMachine.h"

#include <QList>
#include <QStringList>

class FakeMachine;
class TemporaryStore;

// A saved machine's fields by name. What a test leaves out is a fresh id and "Studio" at an
// address of a home network on the usual port; the optional fields are braced so that leaving
// them out is no missing initialiser.
struct MachineFields {
    QUuid id = QUuid::createUuid();
    QString name = QStringLiteral("Studio");
    QString host = QStringLiteral("192.168.1.50");
    qint64 port = 443;
    std::optional<QString> model{};
    std::optional<QString> fingerprint{};
    std::optional<QString> machineID{};
};

SavedMachine savedMachine(MachineFields fields = {});
// Saved at `fake`'s address and port, whatever `fields` says of them.
SavedMachine savedMachineAt(const FakeMachine& fake, MachineFields fields = {});

QStringList machineNames(const QList<SavedMachine>& machines);
// The file names of the designs `fake` was sent, in the order they came.
QList<QByteArray> receivedNames(const FakeMachine& fake);
// The machines in `store`'s file as a fresh start reads them; none where they do not read.
QList<SavedMachine> storedMachines(const TemporaryStore& store);

// A port nobody listens on at `host`: connections to it are refused at once.
quint16 closedPort(const QString& host);
