#include "Networking/MachineInfo.h"

#include "Models/SavedMachine.h"

#include <cmath>

QString MachineInfo::displayHost() const {
    return displayHostText(host, port);
}

std::optional<QString> MachineInfo::embroideryAreaText() const {
    if (!embroideryWidthMM || !embroideryHeightMM)
        return std::nullopt;
    return mm(*embroideryWidthMM) + QStringLiteral(" \u00D7 ") + mm(*embroideryHeightMM) +
           QStringLiteral(" mm");
}

QString MachineInfo::mm(double millimetres) {
    // Whole numbers beyond the 64-bit range fall through to one decimal, which reads fine.
    constexpr double int64Limit = 9.2e18;
    if (std::isfinite(millimetres) && millimetres == std::round(millimetres) &&
        std::fabs(millimetres) < int64Limit)
        return QString::number(static_cast<qint64>(millimetres));
    return QString::asprintf("%.1f", millimetres);
}
