// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef METERAGECONVERSIONS_H
#define METERAGECONVERSIONS_H

#include "devicedata/datavalue.h"
#include "devicedata/valueranges.h"

// What one raw unit of a measurement is worth and the decimals it is shown
// with. A phase current's unit is further multiplied by the range multiplier
// and Kt, a zero-sequence current's by Kt0.
namespace MeterageScales {

constexpr ValueRange PhaseCurrent { 0, 0, 0.01, 2 }; // A
constexpr ValueRange ZeroCurrent { 0, 0, 0.001, 3 }; // A
constexpr ValueRange ZeroVoltage { 0, 0, 0.1, 1 }; // V
constexpr ValueRange Angle { 0, 0, 1, 0 }; // degrees

} // namespace MeterageScales

// Raw measurement registers in engineering units. A value computed from
// several inputs is {0, NoData} if any input has no data (a phase current
// range code outside 1 to 4 counts as none), Outdated if any is outdated.

// Amperes: raw x range multiplier x Kt x 0.01. Trip currents of the phase
// protections follow the same rule with the recorded scale in place of Kt.
StatusValue<double> phaseCurrent(
    const DataValue &raw, const DataValue &currentRange, const DataValue &currentTransFactor);
// Amperes: raw x Kt0 x 0.001, independent of the phase current range.
StatusValue<double> zeroCurrent(const DataValue &raw, const DataValue &zeroCurrentTransFactor);
// Volts: raw x 0.1.
StatusValue<double> zeroVoltage(const DataValue &raw);
// Degrees: the register read as a signed 16-bit number.
StatusValue<double> zeroCurrentZeroVoltageAngle(const DataValue &raw);

#endif // METERAGECONVERSIONS_H
