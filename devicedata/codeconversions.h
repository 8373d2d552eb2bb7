// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CODECONVERSIONS_H
#define CODECONVERSIONS_H

#include "devicedata/datavalue.h"

#include <QString>
#include <QVector>

// Relay codes and what they mean. The text conversions return an empty string
// for a value without data and for a code they do not know: an unknown code is
// shown blank rather than as an error.

// The factor every current conversion applies for the phase current range
// code: 1, 2, 4 or 8 with the code's status, {0, NoData} for no data or an
// unknown code.
DataValue rangeMultiplier(const DataValue &currentRange);

QString currentRangeText(const DataValue &currentRange);
QString diBlockToModeText(const DataValue &mode);
QString onOffText(const DataValue &mode);
QString crashTypeText(const DataValue &crashType);
QString mtzPickupCharacteristicText(const DataValue &characteristic);
QString znzModeText(const DataValue &mode);
QString apvModeText(const DataValue &mode);

// The codes each text conversion knows, in ascending order, for editors that
// offer them.
QVector<qint64> currentRangeCodes();
QVector<qint64> diBlockToModeCodes();
QVector<qint64> onOffCodes();
QVector<qint64> crashTypeCodes();
QVector<qint64> mtzPickupCharacteristicCodes();
QVector<qint64> znzModeCodes();
QVector<qint64> apvModeCodes();

#endif // CODECONVERSIONS_H
