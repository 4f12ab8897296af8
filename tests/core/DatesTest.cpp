#include "Dates.h"
#include "FakeClock.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace {

// Runs with the process time zone set to `tz` (POSIX form).
struct TimeZone {
    explicit TimeZone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    ~TimeZone() {
        unsetenv("TZ");
        tzset();
    }
};

} // namespace

TEST(Dates, OffsetIsPositiveEastOfGreenwich) {
    struct Case {
        const char* tz;
        double hours;
    };
    for (const Case c :
         {Case{"UTC0", 0}, Case{"EAST-2", 2}, Case{"WEST+5", -5}, Case{"HALF-5:30", 5.5}}) {
        TimeZone zone(c.tz);
        EXPECT_DOUBLE_EQ(LocalOffsetDays() * 24, c.hours) << c.tz;
    }
}

TEST(Dates, SecondsZeroIsTheEpochPlusTheOffsetAndBack) {
    TimeZone zone("EAST-2");
    const TDateTime t = SecondsToDateTime(0);
    EXPECT_EQ(ToQDateTime(t), QDateTime(QDate(1970, 1, 1), QTime(2, 0)));
    EXPECT_EQ(DateTimeToSeconds(t), 0);
}

TEST(Dates, RoundTripsToTheSecond) {
    TimeZone zone("WEST+5");
    for (qint64 seconds : {qint64(1), qint64(59), qint64(86399), qint64(1'100'000'000),
                           qint64(4'000'000'000), qint64(-3600)})
        EXPECT_EQ(DateTimeToSeconds(SecondsToDateTime(seconds)), seconds) << seconds;
    // 2004-11-07 12:34:56 UTC is 07:34:56 five hours west.
    EXPECT_EQ(ToQDateTime(SecondsToDateTime(1099830896)),
              QDateTime(QDate(2004, 11, 7), QTime(7, 34, 56)));
}

TEST(Dates, DayCountAndCalendarDate) {
    struct Case {
        TDateTime days;
        QDateTime date;
    };
    for (const Case& c : {Case{0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
                          Case{UnixDateDelta + 0.5, QDateTime(QDate(1970, 1, 1), QTime(12, 0))},
                          Case{38298.75, QDateTime(QDate(2004, 11, 7), QTime(18, 0))}}) {
        EXPECT_EQ(ToQDateTime(c.days), c.date) << c.days;
        EXPECT_DOUBLE_EQ(FromQDateTime(c.date), c.days);
    }
}

// The offset in force now serves every date, summer or winter, whatever the
// season of the date converted.
TEST(Dates, TheOffsetInForceNowServesEveryDate) {
    TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const qint64 january = QDateTime(QDate(2024, 1, 15), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    const qint64 july = QDateTime(QDate(2024, 7, 15), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    struct Case {
        QDate today;
        int localHour; // of noon UTC, for both dates
    };
    for (const Case& c : {Case{QDate(2024, 7, 1), 14}, Case{QDate(2024, 12, 1), 13}}) {
        TFakeClock clock(QDateTime(c.today, QTime(12, 0)));
        for (const qint64 seconds : {january, july}) {
            const TDateTime local = SecondsToDateTime(seconds);
            EXPECT_EQ(ToQDateTime(local).time(), QTime(c.localHour, 0))
                << c.today.toString().toStdString();
            EXPECT_EQ(DateTimeToSeconds(local), seconds);
        }
    }
}

// A zone the user set wins over the zone file.
TEST(Dates, TheZoneFileIsNamedOnlyWhenNoZoneIsSet) {
    {
        TimeZone zone("EAST-2");
        ReadLocalTimeZoneOnce();
        EXPECT_EQ(qgetenv("TZ"), "EAST-2");
    }
    ReadLocalTimeZoneOnce();
    EXPECT_EQ(qgetenv("TZ"), ":/etc/localtime");
    unsetenv("TZ");
    tzset();
}
