#pragma once
// Conversions between the camera's seconds since 1970-01-01 and local date and
// time as a day count (whole days since 1899-12-30, the fraction the time of
// day). The offset of local time in force now is used for every date.

#include <QDateTime>
#include <QtGlobal>

using TDateTime = double;

// Days from 1899-12-30 to 1970-01-01.
constexpr TDateTime UnixDateDelta = 25569.0;

// With TZ unset, the C library looks at /etc/localtime again at every local
// time conversion, under a lock: a list of thousands of pictures makes tens
// of thousands. Naming the file in TZ has it read once, so a zone changed
// while the program runs takes effect at its next start. To be called at the
// program's start, before any thread starts; a TZ already set is kept.
void ReadLocalTimeZoneOnce();

// The offset of local time from UTC now, in days (positive east of Greenwich).
double LocalOffsetDays();

TDateTime SecondsToDateTime(qint64 seconds);
// To the nearest whole second.
qint64 DateTimeToSeconds(TDateTime dateTime);

// The day count as a calendar date and time (no time zone applied) and back.
QDateTime ToQDateTime(TDateTime dateTime);
TDateTime FromQDateTime(const QDateTime& dateTime);

// The program's date and time text: the system's short date, a blank, then
// the time as "HH:mm:ss".
QString DateTimeText(const QDateTime& dateTime);
