#include "Designs/SizeWarning.h"

#include <QCoreApplication>

#include <cmath>

namespace {

double tenths(double millimetres) {
    return std::round(millimetres * 10);
}

} // namespace

bool SizeWarning::fits(const StitchPreview::Size& design, double areaWidthMM, double areaHeightMM) {
    const double width = tenths(design.width);
    const double height = tenths(design.height);
    const double areaWidth = tenths(areaWidthMM);
    const double areaHeight = tenths(areaHeightMM);
    return (width <= areaWidth && height <= areaHeight) ||
           (width <= areaHeight && height <= areaWidth);
}

QString SizeWarning::sizeText(const StitchPreview::Size& design) {
    return QCoreApplication::translate("SizeWarning", "%1 × %2 mm", "a design's width and height")
        .arg(MachineInfo::mm(design.width), MachineInfo::mm(design.height));
}

std::optional<QString> SizeWarning::text(const QString& fileName, const StitchPreview::Size& design,
                                         const QString& machineName, const MachineInfo& info) {
    const std::optional<QString> area = info.embroideryAreaText();
    // A machine that reports a zero, negative or unreadable area has told us nothing.
    if (!area || !(*info.embroideryWidthMM > 0) || !(*info.embroideryHeightMM > 0) ||
        !std::isfinite(*info.embroideryWidthMM) || !std::isfinite(*info.embroideryHeightMM))
        return std::nullopt;
    if (fits(design, *info.embroideryWidthMM, *info.embroideryHeightMM))
        return std::nullopt;
    return QCoreApplication::translate("SizeWarning", "%1 is %2, larger than %3's %4 area.",
                                       "file name, design size, machine name, embroidery area")
        .arg(fileName, sizeText(design), machineName, *area);
}
