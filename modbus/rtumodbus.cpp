// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/rtumodbus.h"
#include "modbus/rtumodbusprivate.h"

RtuModbus::RtuModbus(QObject *parent) : QObject(parent), m_d(new RtuModbusPrivate(this))
{
}

RtuModbus::~RtuModbus()
{
    if (isOpen() || isConnecting())
        closePort();
}

bool RtuModbus::open(const ConnectionSettings &settings)
{
    return m_d->open(settings);
}

bool RtuModbus::openPort(const QString &portName, const SerialPortSettings &settings)
{
    ConnectionSettings serial;
    serial.portName = portName;
    serial.serialPortSettings = settings;
    return m_d->open(serial);
}

bool RtuModbus::closePort()
{
    if (isRunning())
        cancel();
    return m_d->closePort();
}

bool RtuModbus::isOpen() const
{
    return m_d->isOpen();
}

bool RtuModbus::isConnecting() const
{
    return m_d->isConnecting();
}

QString RtuModbus::openError() const
{
    return m_d->openError();
}

bool RtuModbus::openPermissionDenied() const
{
    return m_d->openPermissionDenied();
}

bool RtuModbus::request(uint slaveId, const ModbusRequest &request)
{
    return m_d->request(slaveId, request);
}

void RtuModbus::cancel()
{
    m_d->cancel();
}

bool RtuModbus::isRunning() const
{
    return m_d->isTransactionOpen();
}

int RtuModbus::responseTimeout() const
{
    return m_d->responseTimeout();
}

void RtuModbus::setResponseTimeout(int milliseconds)
{
    m_d->setResponseTimeout(milliseconds);
}
