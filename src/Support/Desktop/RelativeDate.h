#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

// When something happened, said briefly in the user's locale: the time of day for today, the
// abbreviated month and day (in the locale's own order, without year or time) for other days.
// GUI thread only: the formatters are kept per locale.
namespace RelativeDate {

// `date` as seen from `now`, both read in local time.
QString text(const QDateTime& date, const QDateTime& now, const QLocale& locale = QLocale());

// The locale's short time format in hours and minutes, never with seconds.
QString shortTimeFormat(const QLocale& locale = QLocale());

// The abbreviated month and day of `date` in `locale`'s order ("Mar 4", "4. März", "3月4日").
QString monthAndDay(const QDate& date, const QLocale& locale = QLocale());

} // namespace RelativeDate
