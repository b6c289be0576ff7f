#pragma once

#include <QLocale>
#include <QStringList>

// The program's texts in the user's language. English is the source language: its texts need
// no translation, only its plural forms ("1 design", "2 designs"), which are always loaded.
namespace Translations {

// The languages the program is translated into, besides English (ISO 639 codes).
QStringList languages();

// Installs the translations for `locale`'s preferred UI languages (LANGUAGE, LC_MESSAGES, LANG
// for the system locale): the program's own and Qt's for its standard dialogs. Replaces what an
// earlier call installed. When the locale has no regional settings of its own (C or POSIX), the
// chosen language's number and date formats become the default too.
void install(const QLocale& locale = QLocale::system());

// The language install() chose ("de", say), or "en" when none of the user's languages has a
// translation.
QString installedLanguage();

// Loads the English plural forms; runs as every program that links the library starts.
void installEnglishPlurals();

} // namespace Translations
