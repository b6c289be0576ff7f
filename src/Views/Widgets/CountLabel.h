#pragma once

#include "Views/Widgets/StyledLabel.h"

class QFontMetricsF;

// "I of N" with every digit in a cell as wide as the widest digit, so the line keeps its width
// and place as it counts, in fonts whose digits are proportional too.
class CountLabel : public StyledLabel {
public:
    using StyledLabel::StyledLabel;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static double digitCell(const QFontMetricsF& metrics);
    int tabularWidth() const;
};
