// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RTUMODBUSPRIVATE_H
#define RTUMODBUSPRIVATE_H

#include "modbus/modbusrequest.h"
#include "modbus/modbustransaction.h"
#include "modbus/serialportsettings.h"

#include <QElapsedTimer>
#include <QHash>
#include <QThread>

#include <atomic>
#include <cerrno>

#include <modbus.h>

class RtuModbus;

// libmodbus wants the parity as a character: 'O', 'E', or 'N' for anything else.
char parityCharacter(int parity);

// Owns the libmodbus context and executes one transaction per thread start.
// Everything but run() is called on the GUI thread; between request() and the
// delivery of finished(), the request copy and the two buffers belong to run().
class RtuModbusPrivate : public QThread
{
    Q_OBJECT

public:
    explicit RtuModbusPrivate(RtuModbus *q);

    bool openPort(const QString &portName, const SerialPortSettings &settings);
    bool closePort();
    bool isOpen() const { return context != nullptr; }
    QString openError() const { return lastOpenError; }
    bool openPermissionDenied() const { return lastOpenErrno == EACCES || lastOpenErrno == EPERM; }

    bool request(uint slaveId, const ModbusRequest &request);
    void cancel();
    bool isTransactionOpen() const { return transactionOpen; }

    int responseTimeout() const { return responseTimeoutMs; }
    void setResponseTimeout(int milliseconds);

protected:
    void run() override;

private slots:
    void onFinished();

private:
    bool preparePayload();
    int transfer();
    bool isSentBroadcast(int error) const;
    void waitForQuietLine();
    void applyResponseTimeout();
    int effectiveResponseTimeout() const;
    ModbusTransaction transactionRecord(ModbusTransaction::Outcome outcome) const;

    RtuModbus *q;
    modbus_t *context = nullptr;
    // Finished notifications still to come from canceled transactions; they
    // are swallowed so a canceled transaction never reports requestFinished().
    int canceled = 0;
    ModbusBits bits;
    ModbusRegisters registers;
    ModbusRequest currentRequest;
    uint slaveId = 0;
    int responseTimeoutMs = 500;
    // The system's reason the last openPort() failed, for the user.
    QString lastOpenError;
    int lastOpenErrno = 0;

    // From request() until its finished notification has been handled.
    bool transactionOpen = false;
    QElapsedTimer clock;
    // When run() put the request on the line (clock ms), -1 before that.
    std::atomic<qint64> frameSentAt { -1 };
    // A canceled request may still be answered; the next transaction does not
    // start before the relay's time to answer has run out (clock ms).
    qint64 lineQuietAt = 0;
    // The same after a failed request, for the next one to that slave ID.
    QHash<uint, qint64> relayQuietAt;
    // What run() waits for, copied before the thread starts.
    qint64 startNotBefore = 0;
    bool timeoutChangePending = false;

    // The record of the transaction: request() sets the wall-clock time it was
    // asked for, run() when it went out, how long it took and what it left.
    qint64 requestedAtMs = 0;
    qint64 sentAtMs = 0;
    qint64 transferNs = 0;
    ModbusTransaction::Outcome transferOutcome = ModbusTransaction::Success;
    int transferError = 0;
};

#endif // RTUMODBUSPRIVATE_H
