// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYDATETIME_H
#define RELAYDATETIME_H

#include <QDateTime>

// The relay stores a date and time in three registers, one byte per field:
// (year - 2000, month), (day, hour), (minute, second). The clock and every
// crash record use this layout.
struct RelayDateTimeWords
{
    quint16 yearMonth = 0;
    quint16 dayHour = 0;
    quint16 minuteSecond = 0;
};

// Local time with milliseconds 0; any field out of range gives an invalid
// date-time rather than a guess.
QDateTime decodeRelayDateTime(const RelayDateTimeWords &words);

// Years outside 2000 to 2255 do not fit the year byte; the year register then
// keeps only its low 16 bits.
RelayDateTimeWords encodeRelayDateTime(const QDateTime &dateTime);

#endif // RELAYDATETIME_H
