// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef METERAGEDATA_H
#define METERAGEDATA_H

#include "devicedata/fieldtable.h"

// Live measurements as raw register values; meterageconversions.h turns them
// into amperes, volts and degrees.
struct Meterage
{
    DataValue phaseACurrent;
    DataValue phaseCCurrent;
    DataValue zeroCurrent; // 3I0
    DataValue zeroVoltage; // 3U0
    DataValue zeroCurrentZeroVoltageAngle; // signed
};

FieldList<Meterage> meterageFields();

// Measurement registers 16 to 21.
class MeterageData : public FieldBlock<Meterage>
{
    Q_OBJECT

public:
    explicit MeterageData(QObject *parent = nullptr);

    const Meterage &meterage() const { return values(); }
};

#endif // METERAGEDATA_H
