// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/relaydatetime.h"

namespace {

int highByte(quint16 word)
{
    return word >> 8;
}

int lowByte(quint16 word)
{
    return word & 0xFF;
}

quint16 bytePair(int high, int low)
{
    // Multiplication rather than a shift: a year before 2000 makes `high`
    // negative, and the conversion to quint16 keeps the low 16 bits.
    return static_cast<quint16>(high * 256 + low);
}

} // namespace

QDateTime decodeRelayDateTime(const RelayDateTimeWords &words)
{
    const QDate date(
        2000 + highByte(words.yearMonth), lowByte(words.yearMonth), highByte(words.dayHour));
    const QTime time(
        lowByte(words.dayHour), highByte(words.minuteSecond), lowByte(words.minuteSecond), 0);
    // QDateTime would quietly turn an invalid time on a valid date into
    // midnight, which the engineer could not tell from a real reading.
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::LocalTime);
}

RelayDateTimeWords encodeRelayDateTime(const QDateTime &dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return { bytePair(date.year() - 2000, date.month()), bytePair(date.day(), time.hour()),
        bytePair(time.minute(), time.second()) };
}
