// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/codeconversions.h"

DataValue rangeMultiplier(const DataValue &currentRange)
{
    const bool hasData = currentRange.status == Valid || currentRange.status == Outdated;
    if (!hasData || currentRange.value < 1 || currentRange.value > 4)
        return {};
    // Each range code doubles the range of the one below.
    return { qint64(1) << (currentRange.value - 1), currentRange.status };
}

qint64 shownRangeMultiplier(const DataValue &currentRange)
{
    return qMax(qint64(1), rangeMultiplier(currentRange).value);
}

QString currentRangeText(const DataValue &currentRange)
{
    return CodeTables::currentRange.text(currentRange);
}

QString diBlockToModeText(const DataValue &mode)
{
    return CodeTables::diBlockToMode.text(mode);
}

QString onOffText(const DataValue &mode)
{
    return CodeTables::onOff.text(mode);
}

QString crashTypeText(const DataValue &crashType)
{
    return CodeTables::crashType.text(crashType);
}
