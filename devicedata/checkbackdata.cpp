// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/checkbackdata.h"

#include "devicedata/blockhelpers.h"

CheckbackData::CheckbackData(QObject *parent) : DeviceData(parent)
{
    writeRequests().append(coilCommand(0x2000));
}
