// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICETIMEDATA_H
#define DEVICETIMEDATA_H

#include "devicedata/devicedata.h"

struct DeviceTime
{
    DateTimeValue dateTime; // the relay clock, local time
    DataValue autoDst; // 1: the relay adjusts itself for DST; any other value: it does not
};

void markOutdated(DeviceTime &deviceTime);

// The relay's real-time clock and its daylight-saving flag.
class DeviceTimeData : public DeviceData
{
    Q_OBJECT

public:
    explicit DeviceTimeData(QObject *parent = nullptr);

    const DeviceTime &deviceTime() const { return m_deviceTime; }
    void setNewDeviceTime(const DeviceTime &deviceTime);

protected:
    void resetData() override;

private:
    DeviceTime m_deviceTime;
    DeviceTime m_newDeviceTime;
};

#endif // DEVICETIMEDATA_H
