// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/clearcrashlogdata.h"

#include "devicedata/blockhelpers.h"

ClearCrashLogData::ClearCrashLogData(QObject *parent) : DeviceData(parent)
{
    // A coil, not the crash count register of the same number.
    writeRequests().append(coilCommand(0x4000));
}
