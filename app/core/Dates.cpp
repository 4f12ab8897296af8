#include "Dates.h"

#include "Clock.h"

#include <QLocale>
#include <cmath>
#include <ctime>

namespace {
const QDate DayZero(1899, 12, 30);
constexpr double MillisecondsPerDay = 86400000.0;
} // namespace

void ReadLocalTimeZoneOnce() {
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
}

double LocalOffsetDays() {
    const std::time_t now = Now().toSecsSinceEpoch();
    std::tm local{};
    if (!localtime_r(&now, &local))
        return 0;
    return double(local.tm_gmtoff) / 60 / 1440;
}

TDateTime SecondsToDateTime(qint64 seconds) {
    return UnixDateDelta + double(seconds) / 86400 + LocalOffsetDays();
}

qint64 DateTimeToSeconds(TDateTime dateTime) {
    return std::llround((dateTime - LocalOffsetDays() - UnixDateDelta) * 86400);
}

QDateTime ToQDateTime(TDateTime dateTime) {
    const qint64 ms = std::llround(dateTime * MillisecondsPerDay);
    const qint64 days = ms / qint64(MillisecondsPerDay) - (ms % qint64(MillisecondsPerDay) < 0);
    const qint64 rest = ms - days * qint64(MillisecondsPerDay);
    return QDateTime(DayZero.addDays(days), QTime::fromMSecsSinceStartOfDay(int(rest)));
}

TDateTime FromQDateTime(const QDateTime& dateTime) {
    return double(DayZero.daysTo(dateTime.date())) +
           dateTime.time().msecsSinceStartOfDay() / MillisecondsPerDay;
}

QString DateTimeText(const QDateTime& dateTime) {
    return QLocale::system().toString(dateTime.date(), QLocale::ShortFormat) + " " +
           dateTime.time().toString("HH:mm:ss");
}
