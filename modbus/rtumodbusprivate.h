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

class ConnectAttempt;
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

    bool open(const ConnectionSettings &settings);
    bool closePort();
    bool isOpen() const { return m_context != nullptr; }
    bool isConnecting() const { return m_connecting != nullptr; }
    QString openError() const { return m_lastOpenError; }
    bool openPermissionDenied() const
    {
        return !m_network && (m_lastOpenErrno == EACCES || m_lastOpenErrno == EPERM);
    }

    bool request(uint slaveId, const ModbusRequest &request);
    void cancel();
    bool isTransactionOpen() const { return m_transactionOpen; }

    int responseTimeout() const { return m_responseTimeoutMs; }
    void setResponseTimeout(int milliseconds);

protected:
    void run() override;

private slots:
    void onFinished();

private:
    bool openSerial(const ConnectionSettings &settings);
    void onConnectAttemptDone();
    void abandonConnectAttempt();
    bool preparePayload();
    int transfer();
    int restoreLostConnection();
    bool isSentBroadcast(int error) const;
    void waitForQuietLine();
    void takeStrayBytes();
    void applyResponseTimeout();
    void applyTimeout(int milliseconds);
    int effectiveResponseTimeout() const;
    ModbusTransaction transactionRecord(ModbusTransaction::Outcome outcome) const;

    RtuModbus *const m_q;
    modbus_t *m_context = nullptr;
    // A network connection being made, until its outcome is in.
    ConnectAttempt *m_connecting = nullptr;
    ConnectionSettings m_openSettings;
    // Finished notifications still to come from canceled transactions; they
    // are swallowed so a canceled transaction never reports requestFinished().
    int m_canceled = 0;
    ModbusBits m_bits;
    ModbusRegisters m_registers;
    ModbusRequest m_currentRequest;
    uint m_slaveId = 0;
    int m_responseTimeoutMs = 500;
    // The system's reason the last openPort() failed, for the user.
    QString m_lastOpenError;
    int m_lastOpenErrno = 0;
    // What the context is connected to: a network address, and whether RTU
    // frames travel over it rather than Modbus TCP.
    bool m_network = false;
    bool m_rtuOverTcp = false;
    // The last transfer found the network connection gone (worker's, set
    // anew by open()).
    bool m_connectionLost = false;

    // From request() until its finished notification has been handled.
    bool m_transactionOpen = false;
    QElapsedTimer m_clock;
    // When run() put the request on the line (clock ms), -1 before that.
    std::atomic<qint64> m_frameSentAt { -1 };
    // A canceled request may still be answered; the next transaction does not
    // start before the relay's time to answer has run out (clock ms).
    qint64 m_lineQuietAt = 0;
    // The same after a failed request, for the next one to that slave ID.
    QHash<uint, qint64> m_relayQuietAt;
    // What run() waits for, copied before the thread starts.
    qint64 m_startNotBefore = 0;
    bool m_timeoutChangePending = false;
    // What the context waits for an answer now (-1: not set on this context), and what the
    // transaction on its way waits: its request's own timeout, or the endpoint's.
    int m_appliedTimeoutMs = -1;
    int m_transactionTimeoutMs = 0;
    // What run() found waiting on the line before the request went out (the record's).
    int m_strayBytes = 0;
    int m_strayFirstByte = -1;

    // The record of the transaction: request() sets the wall-clock time it was
    // asked for, run() when it went out, how long it took and what it left.
    qint64 m_requestedAtMs = 0;
    qint64 m_sentAtMs = 0;
    qint64 m_transferNs = 0;
    ModbusTransaction::Outcome m_transferOutcome = ModbusTransaction::Success;
    int m_transferError = 0;
    QString m_transferDetail; // what was wrong with a malformed answer, where the transport knows
};

#endif // RTUMODBUSPRIVATE_H
