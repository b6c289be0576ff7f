#pragma once

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// A settings file in a fresh temporary folder, so tests never touch the user's store.
class TemporaryStore {
public:
    TemporaryStore();

    QString path() const;
    // A new handle on the same file, as a fresh program start would open it.
    std::unique_ptr<QSettings> open() const;
    // Reads a raw value as a fresh reader would see it on disk.
    QVariant read(QAnyStringView key) const;
    bool contains(QAnyStringView key) const;

private:
    QTemporaryDir m_dir;
};
