#include "Views/Screen.h"

#include <QHashFunctions>

namespace {

QString uuidText(const std::optional<SavedMachine>& machine) {
    return machine ? machine->id.toString(QUuid::WithoutBraces).toUpper() : QString();
}

} // namespace

QString Screen::identity() const {
    switch (kind) {
    case Kind::editMachine:
        return QStringLiteral("edit-") + uuidText(machine);
    case Kind::machineInfo:
        return QStringLiteral("info-") + uuidText(machine);
    case Kind::machines:
        return QStringLiteral("machines");
    case Kind::addMachine:
        return QStringLiteral("add");
    }
    return {};
}

size_t qHash(const Screen& screen, size_t seed) noexcept {
    seed = qHashMulti(seed, static_cast<int>(screen.kind));
    return screen.machine ? qHash(*screen.machine, seed) : seed;
}
