#include "support/TemporaryStore.h"

#include "Support/SettingsStore.h"

TemporaryStore::TemporaryStore() = default;

QString TemporaryStore::path() const {
    return m_dir.filePath(QStringLiteral("Bobbinlark.conf"));
}

std::unique_ptr<QSettings> TemporaryStore::open() const {
    return SettingsStore::openFile(path());
}

QVariant TemporaryStore::read(QAnyStringView key) const {
    return open()->value(key);
}

bool TemporaryStore::contains(QAnyStringView key) const {
    return open()->contains(key);
}
