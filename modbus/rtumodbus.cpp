// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/rtumodbus.h"
#include "modbus/rtumodbusprivate.h"

RtuModbus::RtuModbus(QObject *parent) : QObject(parent), d(new RtuModbusPrivate(this))
{
}

RtuModbus::~RtuModbus()
{
    if (isOpen())
        closePort();
}

bool RtuModbus::openPort(const QString &portName, const SerialPortSettings &settings)
{
    return d->openPort(portName, settings);
}

bool RtuModbus::closePort()
{
    if (isRunning())
        cancel();
    return d->closePort();
}

bool RtuModbus::isOpen() const
{
    return d->isOpen();
}

QString RtuModbus::openError() const
{
    return d->openError();
}

bool RtuModbus::openPermissionDenied() const
{
    return d->openPermissionDenied();
}

bool RtuModbus::request(uint slaveId, const ModbusRequest &request)
{
    return d->request(slaveId, request);
}

void RtuModbus::cancel()
{
    d->cancel();
}

bool RtuModbus::isRunning() const
{
    return d->isTransactionOpen();
}

int RtuModbus::responseTimeout() const
{
    return d->responseTimeout();
}

void RtuModbus::setResponseTimeout(int milliseconds)
{
    d->setResponseTimeout(milliseconds);
}
