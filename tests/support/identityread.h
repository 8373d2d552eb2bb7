// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef IDENTITYREAD_H
#define IDENTITYREAD_H

#include "devicemonitor/devicemonitor.h"
#include "modbus/modbusrequest.h"

#include <functional>
#include <memory>

// Before a write to one relay the monitor reads who the relay is. Runs `then` as soon as that
// read was answered, before the write's first frame goes out: a fault set there hits the write,
// not the check before it.
inline void afterIdentityRead(DeviceMonitor &monitor, QObject *context, std::function<void()> then)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&monitor, &DeviceMonitor::transactionFinished, context,
        [connection, then](const ModbusTransaction &transaction) {
            if (transaction.function != ModbusRequest::ReadHoldingRegisters
                || transaction.startAddress != 0)
                return;
            QObject::disconnect(*connection);
            then();
        });
}

#endif // IDENTITYREAD_H
