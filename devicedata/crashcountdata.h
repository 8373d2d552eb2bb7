// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CRASHCOUNTDATA_H
#define CRASHCOUNTDATA_H

#include "devicedata/devicedata.h"

// The total number of trips the relay has counted; it may exceed the number
// of records it keeps.
class CrashCountData : public DeviceData
{
    Q_OBJECT

public:
    explicit CrashCountData(QObject *parent = nullptr);

    const DataValue &crashCount() const { return m_crashCount; }

protected:
    void resetData() override;

private:
    DataValue m_crashCount;
};

#endif // CRASHCOUNTDATA_H
