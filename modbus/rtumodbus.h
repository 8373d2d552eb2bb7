// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RTUMODBUS_H
#define RTUMODBUS_H

#include "modbus/modbusrequest.h"
#include "modbus/modbustransaction.h"
#include "modbus/serialportsettings.h"

#include <QObject>

class RtuModbusPrivate;

// The program's one Modbus endpoint on one serial port, or on one network
// connection: Modbus TCP to a gateway, or RTU frames through a serial device
// server (modbusbackend.h makes the libmodbus context of each).
//
// RtuModbus lives on the GUI thread and runs one transaction at a time: request()
// copies the ModbusRequest into RtuModbusPrivate, a QThread started afresh for
// every transaction, whose run() makes the blocking libmodbus call and then runs
// the request's builder or reply handler. When the thread ends, requestFinished()
// is emitted back on the GUI thread. cancel() abandons the transaction at once,
// without requestFinished(), so the GUI never waits on the serial line.
//
// A canceled or failed request may still be answered late. So that such an
// answer never passes for another, the next transaction (after a failure: the
// next one to that relay, or a broadcast) waits until the late answer is no
// longer due, one more response timeout after a failure, and flushes the line.
//
// Every transaction, canceled ones included, is also reported as a record by
// transactionFinished(), on the GUI thread, just before requestFinished().
// Receivers connect to it queued, so keeping records never delays the next
// request.
class RtuModbus : public QObject
{
    Q_OBJECT

public:
    explicit RtuModbus(QObject *parent = nullptr);
    ~RtuModbus() override;

    // Opens the serial port or connects to the network address of the settings.
    // A serial port is open, or not, on return. A network connection is made
    // on a worker thread: true says the attempt started, openFinished() tells
    // how it ended, and closePort() gives it up meanwhile.
    bool open(const ConnectionSettings &settings);
    bool openPort(const QString &portName, const SerialPortSettings &settings);
    bool closePort();
    bool isOpen() const;
    // A network connection is being made (see open()).
    bool isConnecting() const;
    // Why the last open failed: a serial port's reason as the system puts it,
    // a network connection's naming the address.
    QString openError() const;
    // Whether it failed because the user may not open the device.
    bool openPermissionDenied() const;

    bool request(uint slaveId, const ModbusRequest &request);
    void cancel();
    bool isRunning() const;

    int responseTimeout() const;
    void setResponseTimeout(int milliseconds);

signals:
    // A network connection open() started was made, or failed (openError());
    // not emitted for a serial port nor for an attempt given up.
    void openFinished(bool opened);
    void requestFinished();
    void transactionFinished(const ModbusTransaction &transaction);
    // The last transaction failed because the port itself did (see
    // ModbusTransaction::isPortFailure()); emitted after its requestFinished().
    void portFailed();

private:
    friend class RtuModbusPrivate;
    RtuModbusPrivate *const m_d;
};

#endif // RTUMODBUS_H
