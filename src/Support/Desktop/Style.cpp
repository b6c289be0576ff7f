#include "Support/Desktop/Style.h"

#include <QApplication>
#include <QFontDatabase>

#include <algorithm>
#include <cmath>

namespace Style {

namespace {

// Size relative to body text, and the smallest size a style may take in points so small
// application fonts stay readable.
struct Scale {
    double factor;
    double minimumPoints;
};

Scale scaleOf(TextStyle style) {
    switch (style) {
    case TextStyle::body:
    case TextStyle::headline:
        return {1.0, 0};
    case TextStyle::callout:
        return {0.93, 8};
    case TextStyle::caption:
        return {0.85, 7.5};
    case TextStyle::title3:
        return {1.25, 0};
    }
    return {1.0, 0};
}

QFont scaled(QFont font, TextStyle style) {
    const Scale scale = scaleOf(style);
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(std::max(scale.minimumPoints, font.pointSizeF() * scale.factor));
    } else if (font.pixelSize() > 0) {
        font.setPixelSize(
            std::max(qRound(scale.minimumPoints * 4 / 3), qRound(font.pixelSize() * scale.factor)));
    }
    if (style == TextStyle::headline)
        font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace

QFont font(TextStyle style) {
    return font(style, QApplication::font());
}

QFont font(TextStyle style, const QFont& base) {
    return scaled(base, style);
}

QFont withWeight(QFont font, QFont::Weight weight) {
    font.setWeight(weight);
    return font;
}

QFont monospaced(TextStyle style) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont sized = font(style);
    if (sized.pointSizeF() > 0)
        fixed.setPointSizeF(sized.pointSizeF());
    else if (sized.pixelSize() > 0)
        fixed.setPixelSize(sized.pixelSize());
    return fixed;
}

int symbolSize(TextStyle style) {
    switch (style) {
    case TextStyle::caption:
        return 12;
    case TextStyle::callout:
        return 14;
    case TextStyle::body:
    case TextStyle::headline:
        return 16;
    case TextStyle::title3:
        return 18;
    }
    return 16;
}

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * opacity, 0.0, 1.0)));
    return color;
}

namespace {

double luminance(const QColor& color) {
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

} // namespace

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor fillUnderWhiteText(QColor fill) {
    for (int step = 0; step < 40 && contrast(fill, Qt::white) < 4.5; ++step)
        fill = fill.darker(104);
    return fill;
}

QColor controlEdge(const QPalette& palette) {
    const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    for (double amount = 0.2; amount < 1.0; amount += 0.02) {
        const QColor mixed =
            QColor::fromRgbF(float(text.redF() * amount + window.redF() * (1 - amount)),
                             float(text.greenF() * amount + window.greenF() * (1 - amount)),
                             float(text.blueF() * amount + window.blueF() * (1 - amount)));
        if (contrast(mixed, window) >= 4.2)
            return mixed;
    }
    return text;
}

QColor grey(const QPalette& palette) {
    return isDark(palette) ? QColor(0x8e, 0x8e, 0x93) : QColor(0x8a, 0x8a, 0x8e);
}

QColor color(Tone tone, const QPalette& palette) {
    const QColor text = palette.color(QPalette::WindowText);
    const bool dark = isDark(palette);
    switch (tone) {
    case Tone::primary:
        return text;
    case Tone::secondary:
        return withOpacity(text, secondaryOpacity);
    case Tone::tertiary:
        return withOpacity(text, tertiaryOpacity);
    case Tone::quaternary:
        return withOpacity(text, quaternaryOpacity);
    case Tone::accent: {
        // The desktop's selection colour, brightened on dark windows where a deep blue would
        // sink into the background.
        QColor accent = palette.color(QPalette::Highlight);
        if (dark && accent.lightnessF() < 0.55)
            accent = accent.lighter(135);
        // A mark or ring in it keeps 3:1 on the deepest fill the panel lays on the window (a
        // hovered row: a fifth of the text colour).
        const QColor window = palette.color(QPalette::Window);
        const QColor fill = QColor::fromRgbF(float(text.redF() * 0.2 + window.redF() * 0.8),
                                             float(text.greenF() * 0.2 + window.greenF() * 0.8),
                                             float(text.blueF() * 0.2 + window.blueF() * 0.8));
        for (int step = 0; step < 30 && contrast(accent, fill) < 3; ++step)
            accent = dark ? accent.lighter(106) : accent.darker(106);
        return accent;
    }
    // Signal colours, also set as text: deep enough on light windows, and light enough on dark
    // ones, for 4.5:1 against the window and the fills on it.
    case Tone::green:
        return dark ? QColor(0x30, 0xd1, 0x58) : QColor(0x15, 0x70, 0x2d);
    case Tone::red:
        return dark ? QColor(0xff, 0x80, 0x78) : QColor(0xbb, 0x26, 0x1e);
    case Tone::orange:
        return dark ? QColor(0xff, 0xa4, 0x26) : QColor(0x96, 0x4f, 0x00);
    }
    return text;
}

} // namespace Style
