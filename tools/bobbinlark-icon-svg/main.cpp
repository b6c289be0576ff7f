// bobbinlark-icon-svg: writes the application icons as SVG files from the glyph's own shapes,
// so the installed icons always match what the program draws. Run by the build.
//   bobbinlark-icon-svg SCALABLE.svg SYMBOLIC.svg

#include "Support/Drawing/SewingMachineIcon.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

namespace {

bool write(const QString& path, const QString& document) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bobbinlark-icon-svg: %s\n", qPrintable(file.errorString()));
        return false;
    }
    file.write(document.toUtf8());
    if (!file.commit()) {
        std::fprintf(stderr, "bobbinlark-icon-svg: %s\n", qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: bobbinlark-icon-svg SCALABLE.svg SYMBOLIC.svg\n", stderr);
        return 2;
    }
    // The full-colour icon in a dark slate that reads on light and dark backgrounds' tiles;
    // the symbolic one in the colour symbolic icons are recoloured from.
    const bool ok =
        write(arguments[1], SewingMachineIcon::svgDocument(128, QStringLiteral("#3d4a5c"))) &&
        write(arguments[2], SewingMachineIcon::svgDocument(16, QStringLiteral("#2e3436")));
    return ok ? 0 : 1;
}
