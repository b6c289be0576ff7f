#pragma once

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

// The per-user key-value store. The program uses the user's own; tests and tools can point
// the program at another file.
//
// Qt reads and writes the file with blocking calls and waits on its own lock file next to it
// without a limit, so a FIFO or a directory in either place would hang whoever touches the
// store. Both are checked first: a store that is not a regular file (or absent) is refused. A
// refused store reads as empty, takes no write and says why (problem()).
namespace SettingsStore {

inline constexpr QLatin1StringView machinesKey{"bobbinlark.machines"};
inline constexpr QLatin1StringView selectedMachineKey{"bobbinlark.selectedMachine"};
inline constexpr QLatin1StringView recentSendsKey{"bobbinlark.recentSends"};
inline constexpr QLatin1StringView openOnLaunchKey{"BobbinlarkOpenOnLaunch"};

// ~/.config/Bobbinlark/Bobbinlark.conf (honouring XDG_CONFIG_HOME).
std::unique_ptr<QSettings> openUserStore();

// A store kept in the given file, in the same format.
std::unique_ptr<QSettings> openFile(const QString& path);

// Why the store cannot be used now, in words for the user; absent when it can. Looks at the
// file and at the lock files beside it as they are at this moment.
std::optional<QString> problem(const QSettings& store);

// The lock file Qt takes around each write of the store.
QString qtLockPath(const QString& storePath);

} // namespace SettingsStore
