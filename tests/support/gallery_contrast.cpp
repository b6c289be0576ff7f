// Checks the contrast of every text in the rendered gallery: for each picture, the texts its
// widgets listed beside it (NAME-THEME.texts.json), each against what is behind it in the
// picture. Exits 1 and names every text below its minimum (4.5:1, or 3:1 for large text and the
// text of a disabled control), 2 when there is no gallery to check. Symbols are measured as texts
// (3:1); a control's edge and a focus ring (3:1) as drawn: the colour of the control's outermost
// pixels against the colour around it.

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

double luminance(const QColor& color) {
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour most of the pixels in `rect` but outside `hole` show.
QColor commonColour(const QImage& image, const QRect& rect, const QRect& hole = {}) {
    QHash<QRgb, int> counts;
    const QRect inside = rect.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (!hole.contains(x, y))
                ++counts[image.pixel(x, y) | 0xff000000u];
    QRgb common = qRgb(255, 255, 255);
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            common = it.key();
        }
    }
    return QColor::fromRgb(common);
}

// What most of the area shows: the background the text stands on.
QColor background(const QImage& image, const QRect& area) {
    return commonColour(image, area);
}

QColor over(const QColor& ink, const QColor& below) {
    const double a = ink.alphaF();
    return QColor::fromRgbF(float(ink.redF() * a + below.redF() * (1 - a)),
                            float(ink.greenF() * a + below.greenF() * (1 - a)),
                            float(ink.blueF() * a + below.blueF() * (1 - a)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc != 2) {
        out << "usage: gallery_contrast GALLERY-FOLDER\n";
        return 2;
    }
    const QDir gallery(QString::fromLocal8Bit(argv[1]));
    const QStringList lists = gallery.entryList({QStringLiteral("*.texts.json")}, QDir::Files);
    if (lists.isEmpty()) {
        out << "no texts listed in " << gallery.path() << "\n";
        return 2;
    }
    int checked = 0;
    int failed = 0;
    for (const QString& list : lists) {
        const QString picture =
            list.chopped(int(QStringLiteral(".texts.json").size())) + QStringLiteral(".png");
        const QImage image(gallery.filePath(picture));
        QFile file(gallery.filePath(list));
        if (image.isNull() || !file.open(QIODevice::ReadOnly)) {
            out << picture << ": cannot be read\n";
            ++failed;
            continue;
        }
        for (const QJsonValue value : QJsonDocument::fromJson(file.readAll()).array()) {
            const QJsonObject text = value.toObject();
            const QRect area(text.value(QStringLiteral("x")).toInt(),
                             text.value(QStringLiteral("y")).toInt(),
                             text.value(QStringLiteral("width")).toInt(),
                             text.value(QStringLiteral("height")).toInt());
            const QString kind = text.value(QStringLiteral("kind")).toString();
            const bool drawn = kind == u"edge" || kind == u"focus ring";
            // A boundary: its outermost pixel all round, against the two pixels around that. A
            // symbol, which may fill most of its square, against what lies around the square.
            const QColor behind = drawn || kind == u"symbol"
                                      ? commonColour(image, area.adjusted(-2, -2, 2, 2), area)
                                      : background(image, area);
            const QColor ink =
                drawn ? commonColour(image, area, area.adjusted(1, 1, -1, -1))
                      : over(QColor::fromString(text.value(QStringLiteral("ink")).toString()),
                             behind);
            const double ratio = contrast(ink, behind);
            const double minimum = text.value(QStringLiteral("minimum")).toDouble(4.5);
            ++checked;
            if (ratio + 0.005 < minimum) {
                ++failed;
                out << picture << ": " << (kind.isEmpty() ? QStringLiteral("text") : kind) << " \""
                    << text.value(QStringLiteral("text")).toString() << "\" "
                    << QString::number(ratio, 'f', 2) << ":1 (needs " << minimum << ":1), "
                    << ink.name() << " on " << behind.name() << "\n";
            }
        }
    }
    out << checked << " texts, symbols, edges and rings in " << lists.size() << " pictures, "
        << failed << " below their contrast\n";
    return failed == 0 ? 0 : 1;
}
