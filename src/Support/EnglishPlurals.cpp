// Compiled into every program that links the headless library (an interface source), so that
// English plural forms ("1 design") are right from the start in the program, its tools and its
// tests alike, without each main remembering to load them.

#include "Support/Translations.h"

#include <QCoreApplication>

namespace {

void loadEnglishPlurals() {
    Translations::installEnglishPlurals();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(loadEnglishPlurals)
