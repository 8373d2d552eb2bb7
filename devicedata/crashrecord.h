// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CRASHRECORD_H
#define CRASHRECORD_H

#include "devicedata/datavalue.h"
#include "devicedata/valueranges.h"
#include "modbus/modbuscontainers.h"

// One trip stored by the relay: eight consecutive registers.
struct CrashRecord
{
    DataValue crashNumber;
    DateTimeValue crashTime;
    DataValue crashType; // 1 MTZ, 2 TO, 3 ZNZ, 4 APV 1, 5 APV 2, 6 AChR
    DataValue currentRaw;
    DataValue currentScale;
    DataValue crashCurrentRange; // current range code 1 to 4
};

void markOutdated(CrashRecord &record);

constexpr quint16 CrashRecordSize = 8;

// Decodes the record whose first register is `address`; every field Valid.
CrashRecord decodeCrashRecord(const ModbusRegisters &registers, quint16 address);

// The trip current of a record. Only MTZ, TO and ZNZ trips record one: the
// phase trips like a live phase current with the recorded scale for Kt, the
// earth fault like a live 3I0.
struct CrashCurrent
{
    bool recorded = false;
    // {0, NoData} when a factor has no data; a range code outside 1 to 4
    // counts as none.
    StatusValue<double> amperes;
    int decimals = 0;
    UnitRange amperesUnit;
    UnitRange kiloamperesUnit;

    bool isInKiloamperes() const { return amperes.value >= amperesUnit.high; }
};

CrashCurrent crashCurrent(const CrashRecord &record);

#endif // CRASHRECORD_H
