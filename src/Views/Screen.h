#pragma once

#include "Models/SavedMachine.h"

#include <QString>

#include <optional>

// A screen that can be pushed above the main screen. Two screens are equal when they are the
// same kind and, for the kinds about a machine, the machines are equal in every field.
struct Screen {
    enum class Kind { editMachine, machineInfo, machines, addMachine };

    Kind kind = Kind::machines;
    // The machine of editMachine and machineInfo; absent for the others.
    std::optional<SavedMachine> machine;

    static Screen editMachine(const SavedMachine& machine) { return {Kind::editMachine, machine}; }
    static Screen machineInfo(const SavedMachine& machine) { return {Kind::machineInfo, machine}; }
    static Screen machines() { return {Kind::machines, std::nullopt}; }
    static Screen addMachine() { return {Kind::addMachine, std::nullopt}; }

    // The screen's view identity: a screen shown under a new identity starts afresh, under the
    // same one it keeps its state. "edit-" or "info-" and the machine's UUID, "machines", "add".
    QString identity() const;

    friend bool operator==(const Screen&, const Screen&) = default;
};

// The main screen's identity (an empty path).
inline const QString mainScreenIdentity = QStringLiteral("main");

size_t qHash(const Screen& screen, size_t seed = 0) noexcept;
