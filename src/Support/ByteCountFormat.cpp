#include "Support/ByteCountFormat.h"

#include <QCoreApplication>
#include <QLocale>

#include <array>
#include <cstdint>

namespace ByteCountFormat {

namespace {

// Wide enough for the largest count times 200 without overflow.
__extension__ using Wide = unsigned __int128;

struct Unit {
    // The count and its unit, to be translated ("%1 Ko" in French).
    const char* text;
    int decimals;
};

// Index i stands for 1000^(i+1) bytes.
constexpr std::array<Unit, 6> units{{
    {QT_TRANSLATE_NOOP("ByteCountFormat", "%1 KB"), 0},
    {QT_TRANSLATE_NOOP("ByteCountFormat", "%1 MB"), 1},
    {QT_TRANSLATE_NOOP("ByteCountFormat", "%1 GB"), 2},
    {QT_TRANSLATE_NOOP("ByteCountFormat", "%1 TB"), 2},
    {QT_TRANSLATE_NOOP("ByteCountFormat", "%1 PB"), 2},
    {QT_TRANSLATE_NOOP("ByteCountFormat", "%1 EB"), 2},
}};

constexpr Wide power(Wide base, int exponent) {
    Wide result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= base;
    return result;
}

// `scaled` holds the value times 10^decimals; the reader's decimal sign and any trailing zeros
// go when not needed.
QString decimalText(std::uint64_t scaled, int decimals) {
    QString text = QString::number(scaled);
    if (decimals == 0)
        return text;
    while (text.size() <= decimals)
        text.prepend(u'0');
    text.insert(text.size() - decimals, u'.');
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text.replace(u'.', QLocale().decimalPoint());
}

} // namespace

QString fileSize(qint64 bytes) {
    if (bytes == 0)
        return QCoreApplication::translate("ByteCountFormat", "Zero KB");
    const QString sign = bytes < 0 ? QStringLiteral("-") : QString();
    // The magnitude of the most negative count still fits in 64 unsigned bits.
    const std::uint64_t magnitude = bytes < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(bytes)
                                              : static_cast<std::uint64_t>(bytes);
    if (magnitude < 1000) {
        const int count = static_cast<int>(magnitude);
        return sign + QCoreApplication::translate("ByteCountFormat", "%n bytes", nullptr, count);
    }

    // Pick the largest unit that keeps the value at or above one, then round half up; a value
    // that rounds up to a thousand of its unit is written in the next unit (999,999 is "1 MB").
    std::size_t index = 0;
    while (index + 1 < units.size() && magnitude >= power(1000, static_cast<int>(index) + 2))
        ++index;
    for (;; ++index) {
        const Unit& unit = units[index];
        const Wide divisor = power(1000, static_cast<int>(index) + 1);
        const Wide factor = power(10, unit.decimals);
        const Wide scaled = (magnitude * factor * 2 + divisor) / (divisor * 2);
        if (scaled < 1000 * factor || index + 1 == units.size())
            return sign + QCoreApplication::translate("ByteCountFormat", unit.text)
                              .arg(decimalText(static_cast<std::uint64_t>(scaled), unit.decimals));
    }
}

} // namespace ByteCountFormat
