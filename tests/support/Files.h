#pragma once

#include <QByteArray>
#include <QString>

// Writes `contents` as the whole of the file at `path`; whether all of it was written.
bool writeFile(const QString& path, const QByteArray& contents);
