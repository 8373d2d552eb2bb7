// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SERIALPORTSETTINGS_H
#define SERIALPORTSETTINGS_H

#include <QString>

// Line parameters of the serial port. Parity uses this program's own codes
// (0 none, 1 odd, 2 even), which the settings file and the connection dialog
// share; any other code means none.
class SerialPortSettings
{
public:
    enum Parity { NoParity = 0, OddParity = 1, EvenParity = 2 };

    int baudRate() const { return m_baudRate; }
    void setBaudRate(int baudRate) { m_baudRate = baudRate; }
    int parity() const { return m_parity; }
    void setParity(int parity) { m_parity = parity; }
    int dataBits() const { return m_dataBits; }
    void setDataBits(int dataBits) { m_dataBits = dataBits; }
    int stopBits() const { return m_stopBits; }
    void setStopBits(int stopBits) { m_stopBits = stopBits; }

private:
    int m_baudRate = 19200;
    int m_parity = NoParity;
    int m_dataBits = 8;
    int m_stopBits = 1;
};

// Where the relays are reached: a serial port, or the network address of a
// Modbus TCP gateway or of a serial device server passing RTU frames through.
struct ConnectionSettings
{
    enum Link { SerialLink = 0, NetworkLink = 1 };
    enum NetworkProtocol { ModbusTcp = 0, RtuOverTcp = 1 };

    Link link = SerialLink;
    QString portName = QStringLiteral("COM1");
    SerialPortSettings serialPortSettings;
    QString host;
    int tcpPort = 502;
    NetworkProtocol protocol = ModbusTcp;

    bool isNetwork() const { return link == NetworkLink; }
    // How messages name the connection: the port, or host:port ([host]:port
    // for an IPv6 address).
    QString endpointName() const;
};

// The device a port name stands for. Windows names get the device namespace
// prefix \\.\ (which COM10 and up need); elsewhere a bare name such as
// ttyUSB0 lives in /dev and a name that is already a path stays as it is.
QString serialDevicePath(const QString &portName);

// A Windows port name in the device namespace: "COM10" and "\\.\COM10" both
// become "\\.\COM10", so that a name typed with the prefix does not get it
// twice. Built on every platform so that the rule is tested everywhere.
QString windowsDevicePath(const QString &portName);

#endif // SERIALPORTSETTINGS_H
