// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef METERAGECONFIGURATIONDATA_H
#define METERAGECONFIGURATIONDATA_H

#include "devicedata/fieldtable.h"

// What turns raw measurements into amperes.
struct MeterageConfiguration
{
    DataValue currentRange; // phase current range code 1 to 4
    DataValue currentTransFactor; // Kt
    DataValue zeroCurrentTransFactor; // Kt0
};

FieldList<MeterageConfiguration> meterageConfigurationFields();

// Measurement configuration registers 25 to 27. Reads fill configuration();
// a write sends the record last given to setNewConfiguration(), which neither
// a write nor a reset changes.
class MeterageConfigurationData : public FieldBlock<MeterageConfiguration>
{
    Q_OBJECT

public:
    explicit MeterageConfigurationData(QObject *parent = nullptr);

    const MeterageConfiguration &configuration() const { return values(); }
    void setNewConfiguration(const MeterageConfiguration &configuration);
};

#endif // METERAGECONFIGURATIONDATA_H
