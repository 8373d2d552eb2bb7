// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BLOCKCHECKS_H
#define BLOCKCHECKS_H

#include "devicedata/datavalue.h"

#include <QString>
#include <QVector>

class DeviceData;
class RelayBus;

// Checks of what a data block holds against the relay on the simulated line it was read from. A
// clean read is the yardstick: a second block of the same class fed the relay's registers, coils
// and inputs as they are now through its own reply handlers. Nothing but the line is under test
// here; the decoding itself has its own tests.

// A block's values in a fixed order, times apart; empty for a block these checks do not know.
struct BlockValues
{
    QVector<DataValue> plain;
    QVector<DateTimeValue> times;
};

BlockValues blockValues(DeviceData *block);

// The status of each value the block holds.
QVector<DataStatus> valueStatuses(DeviceData *block);

// Whether every request of the block's last read brought an answer; requests switched off (crash
// log pages beyond the count) are not asked.
bool lastReadSucceeded(const DeviceData *block);

// Empty when every Valid value of the block equals that of a clean read (the running clock within
// a few seconds); otherwise the first value that differs. Blocks this file does not know fail.
QString validValueMismatch(DeviceData *shown, const RelayBus &bus, int slaveId);

// Empty when the block vouches for nothing its last read did not bring: after a failed read every
// value known before keeps its number and turns Outdated while the others stay NoData, after a
// successful one none is Outdated. before: the block's values when the read began. The crash log,
// read in pages that each vouch for their own rows, always passes.
QString statusMismatch(const BlockValues &before, DeviceData *after);

#endif // BLOCKCHECKS_H
