#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// The per-user key-value store. The program uses the user's own; tests and tools can point
// the program at another file.
namespace SettingsStore {

inline constexpr QLatin1StringView machinesKey{"bobbinlark.machines"};
inline constexpr QLatin1StringView selectedMachineKey{"bobbinlark.selectedMachine"};
inline constexpr QLatin1StringView recentSendsKey{"bobbinlark.recentSends"};
inline constexpr QLatin1StringView openOnLaunchKey{"BobbinlarkOpenOnLaunch"};

// ~/.config/Bobbinlark/Bobbinlark.conf (honouring XDG_CONFIG_HOME).
std::unique_ptr<QSettings> openUserStore();

// A store kept in the given file, in the same format.
std::unique_ptr<QSettings> openFile(const QString& path);

} // namespace SettingsStore
