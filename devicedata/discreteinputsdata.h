// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DISCRETEINPUTSDATA_H
#define DISCRETEINPUTSDATA_H

#include "devicedata/devicedata.h"

enum DiscreteInputFlags {
    DiBlockTo = 0x01,
    DiRpv = 0x02,
    DiAChR = 0x04,
    DiSis = 0x08,
};

// Discrete inputs 0x1000 to 0x1003.
class DiscreteInputsData : public DeviceData
{
    Q_OBJECT

public:
    explicit DiscreteInputsData(QObject *parent = nullptr);

    // DiscreteInputFlags
    const DataValue &discreteInputs() const { return m_discreteInputs; }

protected:
    void resetData() override;

private:
    DataValue m_discreteInputs;
};

#endif // DISCRETEINPUTSDATA_H
