#include "Support/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace Translations {

namespace {

// The compiled translations are built into the program under this folder.
const QString compiledFolder = QStringLiteral(":/i18n");

struct Installed {
    std::unique_ptr<QTranslator> englishPlurals;
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
    QString language = QStringLiteral("en");
};

Installed& installed() {
    static Installed state;
    return state;
}

void remove(std::unique_ptr<QTranslator>& translator) {
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

// The first of the locale's UI languages that the program speaks ("de" from "de-AT").
QString chosenLanguage(const QLocale& locale) {
    const QStringList spoken = languages();
    for (const QString& preferred : locale.uiLanguages()) {
        const QString language = preferred.section(QLatin1Char('-'), 0, 0).toLower();
        if (language == QLatin1String("en"))
            return language;
        if (spoken.contains(language))
            return language;
    }
    return QStringLiteral("en");
}

} // namespace

QStringList languages() {
    return {QStringLiteral("de"), QStringLiteral("es"), QStringLiteral("fr"), QStringLiteral("ja")};
}

void installEnglishPlurals() {
    Installed& state = installed();
    if (state.englishPlurals || !QCoreApplication::instance())
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("bobbinlark_en"), compiledFolder) &&
        QCoreApplication::installTranslator(translator.get()))
        state.englishPlurals = std::move(translator);
}

void install(const QLocale& locale) {
    installEnglishPlurals();
    Installed& state = installed();
    remove(state.program);
    remove(state.qt);
    state.language = chosenLanguage(locale);
    if (state.language == QLatin1String("en"))
        return;
    // Installed after the English plurals, so they are asked first.
    auto program = std::make_unique<QTranslator>();
    if (program->load(QStringLiteral("bobbinlark_") + state.language, compiledFolder) &&
        QCoreApplication::installTranslator(program.get()))
        state.program = std::move(program);
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_") + state.language,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(qt.get()))
        state.qt = std::move(qt);
    // "LANGUAGE=de" over a C locale: the numbers and dates follow the language too.
    if (locale.language() == QLocale::C)
        QLocale::setDefault(QLocale(state.language));
}

QString installedLanguage() {
    return installed().language;
}

} // namespace Translations
