// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEDSDATA_H
#define LEDSDATA_H

#include "devicedata/devicedata.h"

enum LedFlags {
    LedAChR = 0x01,
    LedApv = 0x02,
    LedApvReady = 0x04,
    LedMtz = 0x08,
    LedTo = 0x10,
    LedZnz = 0x20,
};

// The front-panel LEDs, coils 0x1008 to 0x100F.
class LedsData : public DeviceData
{
    Q_OBJECT

public:
    explicit LedsData(QObject *parent = nullptr);

    // LedFlags
    const DataValue &leds() const { return m_leds; }

protected:
    void resetData() override;

private:
    DataValue m_leds;
};

#endif // LEDSDATA_H
