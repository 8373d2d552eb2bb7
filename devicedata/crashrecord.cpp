// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashrecord.h"

#include "devicedata/meterageconversions.h"
#include "devicedata/relaydatetime.h"

namespace {

enum CrashType { CrashMtz = 1, CrashTo = 2, CrashZnz = 3 };

} // namespace

void markOutdated(CrashRecord &record)
{
    markOutdated(record.crashNumber);
    markOutdated(record.crashTime);
    markOutdated(
        record.crashType, record.currentRaw, record.currentScale, record.crashCurrentRange);
}

CrashRecord decodeCrashRecord(const ModbusRegisters &registers, quint16 address)
{
    const auto word
        = [&registers, address](int offset) { return registers.value(quint16(address + offset)); };
    CrashRecord record;
    record.crashNumber = validValue(word(0));
    record.crashTime = validValue(decodeRelayDateTime({ word(1), word(2), word(3) }));
    record.crashType = validValue(word(4));
    record.currentRaw = validValue(word(5));
    record.currentScale = validValue(word(6));
    record.crashCurrentRange = validValue(word(7));
    return record;
}

CrashCurrent crashCurrent(const CrashRecord &record)
{
    CrashCurrent current;
    switch (record.crashType.value) {
    case CrashMtz:
    case CrashTo:
        current.recorded = true;
        current.amperes
            = phaseCurrent(record.currentRaw, record.crashCurrentRange, record.currentScale);
        current.decimals = MeterageScales::PhaseCurrent.decimals;
        current.amperesUnit = UnitRanges::crashPhaseCurrentAmperes;
        current.kiloamperesUnit = UnitRanges::crashPhaseCurrentKiloamperes;
        break;
    case CrashZnz:
        current.recorded = true;
        current.amperes = zeroCurrent(record.currentRaw, record.currentScale);
        current.decimals = MeterageScales::ZeroCurrent.decimals;
        current.amperesUnit = UnitRanges::crashZeroCurrentAmperes;
        current.kiloamperesUnit = UnitRanges::crashZeroCurrentKiloamperes;
        break;
    default:
        break;
    }
    return current;
}
