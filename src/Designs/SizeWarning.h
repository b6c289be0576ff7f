#pragma once

#include "Designs/StitchPreview.h"
#include "Networking/MachineInfo.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the user is told when a design is larger than the embroidery area of the machine it
// went to. The send itself goes ahead: the machine decides, and the user may know better.
struct SizeWarning {
    // Whether the design fits the area as it is or turned a quarter. Compared in tenths of a
    // millimetre, the formats' own unit, so a design exactly the area's size fits.
    static bool fits(const StitchPreview::Size& design, double areaWidthMM, double areaHeightMM);

    // "280 × 200 mm", as the machine's area is written.
    static QString sizeText(const StitchPreview::Size& design);

    // "ROSE.DST is 280 × 200 mm, larger than Studio's 260 × 160 mm area."; absent when the
    // design fits, or when the machine reported no area (or none that makes sense).
    static std::optional<QString> text(const QString& fileName, const StitchPreview::Size& design,
                                       const QString& machineName, const MachineInfo& info);
};
