#include "Support/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace SettingsStore {

namespace {

// Carried by a refused store: why it was refused.
constexpr const char* refusalProperty = "bobbinlarkRefusal";

enum class Kind { absent, regular, other, unreachable };

// What is at `path` (through links). Anything but a regular file may block whoever opens it.
Kind kindAt(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT ? Kind::absent : Kind::unreachable;
    return S_ISREG(status.st_mode) ? Kind::regular : Kind::other;
}

std::optional<QString> problemAt(const QString& storePath) {
    if (storePath.isEmpty())
        return std::nullopt;
    const QString shown = QDir::toNativeSeparators(storePath);
    switch (kindAt(storePath)) {
    case Kind::other:
        return QCoreApplication::translate("SettingsStore",
                                           "Couldn't use your settings: %1 is not a regular file.")
            .arg(shown);
    case Kind::unreachable:
        return QCoreApplication::translate("SettingsStore",
                                           "Couldn't use your settings: %1 cannot be reached.")
            .arg(shown);
    default:
        break;
    }
    for (const QString& lock :
         {qtLockPath(storePath), storePath + QStringLiteral(".writer-lock")}) {
        const Kind kind = kindAt(lock);
        if (kind == Kind::other || kind == Kind::unreachable)
            return QCoreApplication::translate("SettingsStore",
                                               "Couldn't use your settings: %1 is in the way.")
                .arg(QDir::toNativeSeparators(lock));
    }
    return std::nullopt;
}

std::unique_ptr<QSettings> refused(const QString& why) {
    // No file at all: it reads as empty, and every write fails.
    auto store = std::make_unique<QSettings>(QString(), QSettings::NativeFormat);
    store->setProperty(refusalProperty, why);
    return store;
}

} // namespace

QString qtLockPath(const QString& storePath) {
    return storePath + QStringLiteral(".lock");
}

std::unique_ptr<QSettings> openUserStore() {
    // Where Qt keeps an application's native settings on this system.
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/Bobbinlark/Bobbinlark.conf");
    if (const std::optional<QString> why = problemAt(path))
        return refused(*why);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Bobbinlark"), QStringLiteral("Bobbinlark"));
}

std::unique_ptr<QSettings> openFile(const QString& path) {
    if (const std::optional<QString> why = problemAt(path))
        return refused(*why);
    return std::make_unique<QSettings>(path, QSettings::NativeFormat);
}

std::optional<QString> problem(const QSettings& store) {
    if (const QVariant why = store.property(refusalProperty); why.isValid())
        return why.toString();
    return problemAt(store.fileName());
}

} // namespace SettingsStore
