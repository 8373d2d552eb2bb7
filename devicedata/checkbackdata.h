// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CHECKBACKDATA_H
#define CHECKBACKDATA_H

#include "devicedata/devicedata.h"

// The checkback command: writing this block acknowledges the relay's
// indication. It holds no values.
class CheckbackData : public DeviceData
{
    Q_OBJECT

public:
    explicit CheckbackData(QObject *parent = nullptr);

protected:
    void resetData() override { }
};

#endif // CHECKBACKDATA_H
