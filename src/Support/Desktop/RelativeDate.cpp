#include "Support/Desktop/RelativeDate.h"

#include <QHash>
#include <QRegularExpression>

#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace RelativeDate {

namespace {

// The locale's formatter of an abbreviated month and a day, with the pattern CLDR has for it;
// null when ICU knows none. Made once per locale: building the pattern generator and the
// formatter costs far more than formatting, which runs on every drawing of a card.
icu::SimpleDateFormat* monthDayFormat(const QLocale& locale) {
    static QHash<QString, std::shared_ptr<icu::SimpleDateFormat>> formats;
    const QString tag = locale.bcp47Name();
    if (const auto found = formats.constFind(tag); found != formats.constEnd())
        return found->get();
    std::shared_ptr<icu::SimpleDateFormat> format;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale icuLocale = icu::Locale::forLanguageTag(tag.toStdString(), status);
    if (U_SUCCESS(status)) {
        std::unique_ptr<icu::DateTimePatternGenerator> generator(
            icu::DateTimePatternGenerator::createInstance(icuLocale, status));
        if (U_SUCCESS(status) && generator) {
            const icu::UnicodeString pattern =
                generator->getBestPattern(icu::UnicodeString(u"MMMd"), status);
            if (U_SUCCESS(status) && !pattern.isEmpty()) {
                auto made = std::make_shared<icu::SimpleDateFormat>(pattern, icuLocale, status);
                if (U_SUCCESS(status)) {
                    // The calendar day is settled in local time before formatting; noon of it
                    // in UTC cannot move to a neighbouring day.
                    made->setTimeZone(*icu::TimeZone::getGMT());
                    format = std::move(made);
                }
            }
        }
    }
    formats.insert(tag, format);
    return format.get();
}

} // namespace

QString shortTimeFormat(const QLocale& locale) {
    // The locale's own order, separators and day period, without the seconds some locales' short
    // format carries (C's "HH:mm:ss"): the seconds field and the separator before it go.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    static const QRegularExpression seconds(QStringLiteral("[^HhmaApP\\s]?s+"));
    format.remove(seconds);
    return format.trimmed();
}

QString monthAndDay(const QDate& date, const QLocale& locale) {
    if (icu::SimpleDateFormat* format = monthDayFormat(locale)) {
        const QDateTime noon(date, QTime(12, 0), Qt::UTC);
        icu::UnicodeString out;
        format->format(static_cast<UDate>(noon.toMSecsSinceEpoch()), out);
        return QString(reinterpret_cast<const QChar*>(out.getBuffer()), out.length());
    }
    return locale.toString(date, QStringLiteral("MMM d"));
}

QString text(const QDateTime& date, const QDateTime& now, const QLocale& locale) {
    const QDateTime local = date.toLocalTime();
    if (local.date() == now.toLocalTime().date())
        return locale.toString(local.time(), shortTimeFormat(locale));
    return monthAndDay(local.date(), locale);
}

} // namespace RelativeDate
