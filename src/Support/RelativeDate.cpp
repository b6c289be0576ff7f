#include "Support/RelativeDate.h"

#include <QHash>

#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace RelativeDate {

namespace {

// The locale's pattern for an abbreviated month and a day, as CLDR has it; empty when ICU
// knows no pattern for it. Looked up once per locale: the generator is slow to build.
QString monthDayPattern(const QLocale& locale) {
    static QHash<QString, QString> patterns;
    const QString tag = locale.bcp47Name();
    if (const auto found = patterns.constFind(tag); found != patterns.constEnd())
        return *found;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale icuLocale = icu::Locale::forLanguageTag(tag.toStdString(), status);
    QString pattern;
    if (U_SUCCESS(status)) {
        std::unique_ptr<icu::DateTimePatternGenerator> generator(
            icu::DateTimePatternGenerator::createInstance(icuLocale, status));
        if (U_SUCCESS(status) && generator) {
            const icu::UnicodeString best =
                generator->getBestPattern(icu::UnicodeString(u"MMMd"), status);
            if (U_SUCCESS(status))
                pattern = QString(reinterpret_cast<const QChar*>(best.getBuffer()), best.length());
        }
    }
    patterns.insert(tag, pattern);
    return pattern;
}

} // namespace

QString monthAndDay(const QDate& date, const QLocale& locale) {
    const QString pattern = monthDayPattern(locale);
    if (!pattern.isEmpty()) {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale icuLocale =
            icu::Locale::forLanguageTag(locale.bcp47Name().toStdString(), status);
        icu::SimpleDateFormat format(
            icu::UnicodeString(reinterpret_cast<const char16_t*>(pattern.utf16()),
                               static_cast<int32_t>(pattern.size())),
            icuLocale, status);
        if (U_SUCCESS(status)) {
            // The calendar day was settled in local time; format noon of it in UTC so no time
            // zone can move it to a neighbouring day.
            format.setTimeZone(*icu::TimeZone::getGMT());
            const QDateTime noon(date, QTime(12, 0), Qt::UTC);
            icu::UnicodeString out;
            format.format(static_cast<UDate>(noon.toMSecsSinceEpoch()), out, status);
            if (U_SUCCESS(status))
                return QString(reinterpret_cast<const QChar*>(out.getBuffer()), out.length());
        }
    }
    return locale.toString(date, QStringLiteral("MMM d"));
}

QString text(const QDateTime& date, const QDateTime& now, const QLocale& locale) {
    const QDateTime local = date.toLocalTime();
    if (local.date() == now.toLocalTime().date())
        return locale.toString(local.time(), QLocale::ShortFormat);
    return monthAndDay(local.date(), locale);
}

} // namespace RelativeDate
