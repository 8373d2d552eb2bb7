// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meterageconversions.h"

#include "devicedata/codeconversions.h"

namespace {

StatusValue<double> withStatus(double value, DataStatus status)
{
    if (status == NoData)
        return {};
    return { value, status };
}

} // namespace

StatusValue<double> phaseCurrent(
    const DataValue &raw, const DataValue &currentRange, const DataValue &currentTransFactor)
{
    const DataValue multiplier = rangeMultiplier(currentRange);
    return withStatus(double(raw.value) * double(multiplier.value)
            * double(currentTransFactor.value) * MeterageScales::PhaseCurrent.step,
        combinedStatus({ raw.status, multiplier.status, currentTransFactor.status }));
}

StatusValue<double> zeroCurrent(const DataValue &raw, const DataValue &zeroCurrentTransFactor)
{
    return withStatus(
        double(raw.value) * double(zeroCurrentTransFactor.value) * MeterageScales::ZeroCurrent.step,
        combinedStatus({ raw.status, zeroCurrentTransFactor.status }));
}

StatusValue<double> zeroVoltage(const DataValue &raw)
{
    return withStatus(double(raw.value) * MeterageScales::ZeroVoltage.step, raw.status);
}

StatusValue<double> zeroCurrentZeroVoltageAngle(const DataValue &raw)
{
    // Whether the raw word was stored signed or not, the relay means it signed.
    return withStatus(double(qint16(raw.value)), raw.status);
}
