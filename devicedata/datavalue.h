// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DATAVALUE_H
#define DATAVALUE_H

#include <QDateTime>
#include <QMetaType>
#include <QtGlobal>

// How far a value held by a data block can be trusted.
enum DataStatus : qint32 {
    NoData = 0, // never read, or reset
    Valid = 1, // read successfully
    Outdated = 2 // a later read failed; the value is the last good one
};

template<typename T>
struct StatusValue
{
    T value {};
    DataStatus status = NoData;

    friend bool operator==(const StatusValue &a, const StatusValue &b)
    {
        return a.value == b.value && a.status == b.status;
    }
    friend bool operator!=(const StatusValue &a, const StatusValue &b) { return !(a == b); }
};

// Raw register values, codes and flag sets; wide enough for a 32-bit serial
// number and a signed angle alike.
using DataValue = StatusValue<qint64>;
using DateTimeValue = StatusValue<QDateTime>;

inline DataValue validValue(qint64 value)
{
    return { value, Valid };
}

inline DateTimeValue validValue(const QDateTime &value)
{
    return { value, Valid };
}

// A failed read keeps every known value but no longer vouches for it; a value
// that never had data stays without.
template<typename T>
void markOutdated(StatusValue<T> &value)
{
    if (value.status != NoData)
        value.status = Outdated;
}

template<typename T, typename... Rest>
void markOutdated(StatusValue<T> &first, StatusValue<T> &second, Rest &...rest)
{
    markOutdated(first);
    markOutdated(second, rest...);
}

// The status of a value computed from several: missing if any input is
// missing, outdated if any is outdated, valid otherwise.
inline DataStatus combinedStatus(std::initializer_list<DataStatus> statuses)
{
    DataStatus combined = Valid;
    for (DataStatus status : statuses) {
        if (status == NoData)
            return NoData;
        if (status == Outdated)
            combined = Outdated;
    }
    return combined;
}

Q_DECLARE_METATYPE(DataValue)

#endif // DATAVALUE_H
