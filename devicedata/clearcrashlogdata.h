// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CLEARCRASHLOGDATA_H
#define CLEARCRASHLOGDATA_H

#include "devicedata/devicedata.h"

// A command without values: writing it clears the relay's crash log.
class ClearCrashLogData : public DeviceData
{
    Q_OBJECT

public:
    explicit ClearCrashLogData(QObject *parent = nullptr);

protected:
    void resetData() override { }
};

#endif // CLEARCRASHLOGDATA_H
