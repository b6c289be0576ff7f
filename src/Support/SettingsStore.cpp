#include "Support/SettingsStore.h"

namespace SettingsStore {

std::unique_ptr<QSettings> openUserStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Bobbinlark"), QStringLiteral("Bobbinlark"));
}

std::unique_ptr<QSettings> openFile(const QString& path) {
    return std::make_unique<QSettings>(path, QSettings::NativeFormat);
}

} // namespace SettingsStore
