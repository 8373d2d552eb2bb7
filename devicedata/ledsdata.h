// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEDSDATA_H
#define LEDSDATA_H

#include "devicedata/fieldtable.h"

enum LedFlags {
    LedAChR = 0x01,
    LedApv = 0x02,
    LedApvReady = 0x04,
    LedMtz = 0x08,
    LedTo = 0x10,
    LedZnz = 0x20,
};

struct LedsRecord
{
    DataValue leds; // LedFlags
};

FieldList<LedsRecord> ledsFields();

// The front-panel LEDs, coils 0x1008 to 0x100F.
class LedsData : public FieldBlock<LedsRecord>
{
    Q_OBJECT

public:
    explicit LedsData(QObject *parent = nullptr);

    // LedFlags
    const DataValue &leds() const { return values().leds; }
};

#endif // LEDSDATA_H
