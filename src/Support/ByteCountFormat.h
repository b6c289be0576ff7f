#pragma once

#include <QString>

// Byte counts written the way file managers write file sizes: decimal units (1 KB is 1,000
// bytes), "Zero KB" for nothing, "N bytes" below a thousand, whole kilobytes, megabytes with one
// decimal and larger units with two, trailing zeros dropped ("3 MB", "1.5 MB").
namespace ByteCountFormat {

QString fileSize(qint64 bytes);

} // namespace ByteCountFormat
