// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETPOINTSDATA_H
#define SETPOINTSDATA_H

#include "devicedata/fieldtable.h"

// Raw register values of the protection setpoints; the setpoints panel turns
// them into engineering units.
struct Setpoints
{
    DataValue mtzMode;
    DataValue mtzPickupCharacteristic;
    DataValue mtzPickupCurrent; // 0.01 A × range multiplier
    DataValue mtzReactionDelay; // 0.1 s
    DataValue toMode;
    DataValue toPickupCurrent; // 0.1 A × range multiplier
    DataValue toReactionDelay; // 0.01 s
    DataValue mtzToResettingDelay; // 0.1 s
    DataValue znzMode;
    DataValue znz3I03U0FirstAngle; // degrees
    DataValue znz3I03U0LastAngle; // degrees
    DataValue znzPickupCurrent; // 0.01 A
    DataValue znzPickupVoltage; // 0.1 V
    DataValue znzReactionDelay; // 0.1 s
    DataValue apvMode;
    DataValue apvReadinessDelay; // s
    DataValue apvReactionDelay1st; // 0.1 s
    DataValue apvReactionDelay2nd; // s
};

FieldList<Setpoints> setpointFields();

// The setpoints of the MTZ, TO, ZNZ and APV protections: read in one request,
// written back one register at a time.
class SetpointsData : public FieldBlock<Setpoints>
{
    Q_OBJECT

public:
    explicit SetpointsData(QObject *parent = nullptr);

    const Setpoints &setpoints() const { return values(); }
    void setNewSetpoints(const Setpoints &setpoints);
};

#endif // SETPOINTSDATA_H
