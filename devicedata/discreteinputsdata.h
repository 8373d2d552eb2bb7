// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DISCRETEINPUTSDATA_H
#define DISCRETEINPUTSDATA_H

#include "devicedata/fieldtable.h"

enum DiscreteInputFlags {
    DiBlockTo = 0x01,
    DiRpv = 0x02,
    DiAChR = 0x04,
    DiSis = 0x08,
};

struct DiscreteInputsRecord
{
    DataValue discreteInputs; // DiscreteInputFlags
};

FieldList<DiscreteInputsRecord> discreteInputsFields();

// Discrete inputs 0x1000 to 0x1003.
class DiscreteInputsData : public FieldBlock<DiscreteInputsRecord>
{
    Q_OBJECT

public:
    explicit DiscreteInputsData(QObject *parent = nullptr);

    // DiscreteInputFlags
    const DataValue &discreteInputs() const { return values().discreteInputs; }
};

#endif // DISCRETEINPUTSDATA_H
