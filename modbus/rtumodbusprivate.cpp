// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/rtumodbusprivate.h"
#include "common/logging.h"
#include "common/threadhandover.h"
#include "modbus/connectattempt.h"
#include "modbus/modbusbackend.h"
#include "modbus/rtumodbus.h"
#include "modbus/rtuovertcp.h"
#include "modbus/workereventdispatcher.h"

#include <QDateTime>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

QString errorString(int error)
{
    return QStringLiteral("[%1: %2]")
        .arg(QString::number(error), QString::fromLocal8Bit(modbus_strerror(error)));
}

} // namespace

char parityCharacter(int parity)
{
    switch (parity) {
    case SerialPortSettings::OddParity:
        return 'O';
    case SerialPortSettings::EvenParity:
        return 'E';
    default:
        return 'N';
    }
}

RtuModbusPrivate::RtuModbusPrivate(RtuModbus *q) : QThread(q), m_q(q)
{
    qRegisterMetaType<ModbusTransaction>();
    connect(this, &QThread::finished, this, &RtuModbusPrivate::onFinished);
    // Runs on the worker thread, after run() returned or was stopped: the last
    // of this object the worker touches.
    connect(
        this, &QThread::finished, this, [this] { ThreadHandOver::release(this); },
        Qt::DirectConnection);
    m_clock.start();
}

bool RtuModbusPrivate::open(const ConnectionSettings &settings)
{
    if (m_context || m_connecting) {
        qCDebug(lcModbus) << "Already opened";
        return false;
    }
    m_lastOpenError.clear();
    m_lastOpenErrno = 0;
    m_openSettings = settings;
    m_network = settings.isNetwork();
    m_rtuOverTcp = m_network && settings.protocol == ConnectionSettings::RtuOverTcp;
    m_connectionLost = false;
    if (!m_network)
        return openSerial(settings);

    // The host lookup and the connect run on a worker thread; the outcome
    // comes with RtuModbus::openFinished().
    m_connecting = new ConnectAttempt(settings, effectiveResponseTimeout(), this);
    connect(m_connecting, &ConnectAttempt::done, this, &RtuModbusPrivate::onConnectAttemptDone);
    m_connecting->start(QThread::NormalPriority);
    return true;
}

// Opening a local device node is quick: it stays on the caller's thread.
bool RtuModbusPrivate::openSerial(const ConnectionSettings &settings)
{
    m_context = newModbusContext(settings, &m_lastOpenErrno);
    if (!m_context) {
        m_lastOpenError = openErrorText(settings, m_lastOpenErrno);
        qCDebug(lcModbus) << "Unable to create the libmodbus context " << m_lastOpenError;
        return false;
    }

    modbus_set_debug(m_context, TRUE);
    applyResponseTimeout();

    m_lastOpenErrno = connectModbusContext(m_context);
    if (m_lastOpenErrno != 0) {
        m_lastOpenError = openErrorText(settings, m_lastOpenErrno);
        qCDebug(lcModbus) << "Connection failed " << errorString(m_lastOpenErrno);
        modbus_free(m_context);
        m_context = nullptr;
        return false;
    }
    return true;
}

void RtuModbusPrivate::onConnectAttemptDone()
{
    ConnectAttempt *attempt = m_connecting;
    m_connecting = nullptr;
    m_context = attempt->takeContext();
    if (m_context) {
        // The timeout may have changed while the attempt ran.
        applyResponseTimeout();
    } else {
        m_lastOpenErrno = attempt->error();
        m_lastOpenError = openErrorText(m_openSettings, m_lastOpenErrno);
        if (attempt->contextMade())
            qCDebug(lcModbus) << "Connection failed " << errorString(m_lastOpenErrno);
        else
            qCDebug(lcModbus) << "Unable to create the libmodbus context " << m_lastOpenError;
    }
    attempt->deleteLater();
    emit m_q->openFinished(m_context != nullptr);
}

// The attempt ends by itself and closes what it opened; nothing of it comes
// back here.
void RtuModbusPrivate::abandonConnectAttempt()
{
    m_connecting->abandon();
    m_connecting = nullptr;
}

bool RtuModbusPrivate::closePort()
{
    if (m_connecting) {
        abandonConnectAttempt();
        return true;
    }
    if (!m_context) {
        qCDebug(lcModbus) << "Already closed";
        return false;
    }
    modbus_close(m_context);
    modbus_free(m_context);
    m_context = nullptr;
    return true;
}

void RtuModbusPrivate::setResponseTimeout(int milliseconds)
{
    m_responseTimeoutMs = milliseconds;
    // The context is the worker's while a transaction runs.
    if (isRunning())
        m_timeoutChangePending = true;
    else
        applyResponseTimeout();
}

void RtuModbusPrivate::applyResponseTimeout()
{
    if (!m_context)
        return;
    // libmodbus refuses a zero timeout and would keep the one it had.
    const int milliseconds = effectiveResponseTimeout();
    if (modbus_set_response_timeout(
            m_context, uint32_t(milliseconds / 1000), uint32_t(milliseconds % 1000) * 1000)
        == -1)
        qCDebug(lcModbus) << "!!! Response timeout not set !!!" << milliseconds
                          << errorString(errno);
}

int RtuModbusPrivate::effectiveResponseTimeout() const
{
    return qMax(1, m_responseTimeoutMs);
}

bool RtuModbusPrivate::request(uint slaveId, const ModbusRequest &request)
{
    if (m_transactionOpen) {
        qCDebug(lcModbus) << "Previous request pending";
        return false;
    }
    if (modbus_set_slave(m_context, int(slaveId)) == -1) {
        qCDebug(lcModbus) << "Could`t set slave ID: " << slaveId << " " << errorString(errno);
        return false;
    }
    if (!request.isEnabled()) {
        qCDebug(lcModbus) << "ModbusRequest is disabled";
        return false;
    }
    if (!request.isValid()) {
        qCDebug(lcModbus) << "Invalid ModbusRequest";
        return false;
    }

    if (m_timeoutChangePending) {
        applyResponseTimeout();
        m_timeoutChangePending = false;
    }
    m_bits = ModbusBits();
    m_registers = ModbusRegisters();
    m_currentRequest = request;
    m_slaveId = slaveId;
    m_startNotBefore = m_lineQuietAt;
    // A broadcast takes whatever comes back as a failure, so it waits for all.
    for (auto it = m_relayQuietAt.cbegin(); it != m_relayQuietAt.cend(); ++it) {
        if (it.key() == slaveId || slaveId == MODBUS_BROADCAST_ADDRESS)
            m_startNotBefore = qMax(m_startNotBefore, it.value());
    }
    m_transactionOpen = true;
    m_frameSentAt = -1;
    m_requestedAtMs = QDateTime::currentMSecsSinceEpoch();
    m_sentAtMs = m_requestedAtMs;
    m_transferNs = 0;
    // Qt deletes the thread's dispatcher when run() is over: one per start.
    setEventDispatcher(new WorkerEventDispatcher);
    start(QThread::NormalPriority);
    return true;
}

void RtuModbusPrivate::cancel()
{
    if (!m_transactionOpen)
        return;

    ++m_canceled;
    m_transactionOpen = false;
    // The answer may come up to one response timeout after the frame went
    // out; if it has not gone out yet, it may be going out now.
    const qint64 sentAt = m_frameSentAt;
    m_lineQuietAt = qMax(
        m_lineQuietAt, (sentAt >= 0 ? sentAt : m_clock.elapsed()) + effectiveResponseTimeout());
    // No cooperative stop: the libmodbus call may sit in select() for the
    // whole response timeout, and the caller must not wait for it. A thread
    // past run() no longer counts as running, but may still be winding down:
    // it is waited for all the same.
    if (isRunning())
        terminate();
    wait();
    ThreadHandOver::acquire(this);
    ModbusTransaction record = transactionRecord(ModbusTransaction::Canceled);
    record.startedAt = m_requestedAtMs;
    record.durationUs = (QDateTime::currentMSecsSinceEpoch() - m_requestedAtMs) * 1000;
    m_currentRequest.setTransaction(record);
    emit m_q->transactionFinished(record);
}

void RtuModbusPrivate::onFinished()
{
    if (m_canceled > 0) {
        qCDebug(lcModbus) << "canceled";
        --m_canceled;
        return;
    }
    // The thread is past run() and only winding down; nothing starts another
    // before the transaction is closed below.
    wait();
    ThreadHandOver::acquire(this);
    qCDebug(lcModbus) << "finished";
    m_transactionOpen = false;
    // A relay that did not answer in time may answer yet, and a wrong answer
    // may have been the late one to an earlier request, with this request's
    // own still on its way. Neither may pass for the answer to the next
    // request to that relay: that waits until the relay has had as long again,
    // then flushes. Other relays need not wait: libmodbus refuses an answer
    // from a slave it did not ask.
    if (m_currentRequest.result() != ModbusRequest::Success)
        m_relayQuietAt.insert(m_slaveId, m_clock.elapsed() + effectiveResponseTimeout());
    // Judged before requestFinished(), whose receivers may start the next request. A network
    // connection that broke is made again for the next request instead.
    const bool portFailed = !m_network && m_currentRequest.result() != ModbusRequest::Success
        && ModbusTransaction::isPortFailure(m_transferError);
    const ModbusTransaction record = transactionRecord(m_transferOutcome);
    m_currentRequest.setTransaction(record);
    emit m_q->transactionFinished(record);
    emit m_q->requestFinished();
    if (portFailed)
        emit m_q->portFailed();
}

void RtuModbusPrivate::run()
{
    // cancel() may stop this thread only while it waits on the line, where no
    // C++ object is alive: a forced unwind through a destructor (one that
    // logs, say) would abort the whole program.
    setTerminationEnabled(false);
    const bool supported = preparePayload();
    setTerminationEnabled(true);
    const int linkError = restoreLostConnection();
    waitForQuietLine();
    m_frameSentAt = m_clock.elapsed();
    m_sentAtMs = QDateTime::currentMSecsSinceEpoch();
    const auto sent = std::chrono::steady_clock::now();
    const int rc = supported && linkError == 0 ? transfer() : 0;
    const int error = !supported ? EMBXILFUN : linkError != 0 ? linkError : errno;
    // Still lost when connecting again failed: the next request tries once more.
    m_connectionLost = m_network && rc <= 0 && (linkError != 0 || isLostConnection(error));
    const auto taken = std::chrono::steady_clock::now() - sent;
    m_transferNs = std::chrono::duration_cast<std::chrono::nanoseconds>(taken).count();
    setTerminationEnabled(false);
    m_transferError = error;
    m_transferOutcome = ModbusTransaction::Success;
    if (!m_transferDetail.isEmpty())
        qCWarning(lcModbus) << "Malformed answer from slave" << m_slaveId << ":"
                            << m_transferDetail;

    if (!supported)
        qCDebug(lcModbus) << "Modbus function" << m_currentRequest.function() << "is not supported";
    qCDebug(lcModbus) << "libmodbus request result:" << rc << "error:" << errorString(error);

    if (rc <= 0 && !isSentBroadcast(error)) {
        m_transferOutcome = ModbusTransaction::outcomeOfError(error);
        m_currentRequest.setFailed(
            error == ETIMEDOUT ? ModbusRequest::Timeout : ModbusRequest::Error);
        return;
    }
    if (m_currentRequest.dataType() == ModbusRequest::Bits)
        m_currentRequest.setBitsReply(m_bits);
    else if (m_currentRequest.dataType() == ModbusRequest::Registers)
        m_currentRequest.setRegistersReply(m_registers);
}

ModbusTransaction RtuModbusPrivate::transactionRecord(ModbusTransaction::Outcome outcome) const
{
    ModbusTransaction record;
    record.startedAt = m_sentAtMs;
    record.durationUs = m_transferNs / 1000;
    record.slaveId = m_slaveId;
    record.function = m_currentRequest.function();
    record.startAddress = m_currentRequest.startAddress();
    record.count = m_currentRequest.count();
    record.outcome = outcome;
    if (outcome == ModbusTransaction::Exception)
        record.exceptionCode = m_transferError - MODBUS_ENOBASE;
    if (outcome == ModbusTransaction::OtherError)
        record.error = m_transferError;
    record.detail = m_transferDetail;
    return record;
}

// No relay answers a broadcast, yet libmodbus waits for an answer all the
// same: its timeout is how a broadcast write that went out ends.
bool RtuModbusPrivate::isSentBroadcast(int error) const
{
    if (m_slaveId != MODBUS_BROADCAST_ADDRESS || error != ETIMEDOUT)
        return false;
    switch (m_currentRequest.function()) {
    case ModbusRequest::WriteSingleCoil:
    case ModbusRequest::WriteSingleRegister:
    case ModbusRequest::WriteMultipleCoils:
    case ModbusRequest::WriteMultipleRegisters:
        return true;
    default:
        return false;
    }
}

// Whatever still waits on the line (the late answer to a canceled or timed-out
// request) must not be taken as the answer to this one.
void RtuModbusPrivate::waitForQuietLine()
{
    const qint64 remaining = m_startNotBefore - m_clock.elapsed();
    // Not QThread::msleep(): cancel() may stop the thread in this sleep, and
    // ThreadSanitizer builds, which skip what Qt's libraries call, cannot
    // follow a thread stopped inside such a call.
    if (remaining > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(remaining));
    modbus_flush(m_context);
}

// A gateway that closed the connection (restarted, say) is connected to
// again before the next request, never in the middle of one: a write whose
// answer was lost is not sent twice. Returns the errno of a failed attempt.
int RtuModbusPrivate::restoreLostConnection()
{
    if (!m_connectionLost)
        return 0;
    modbus_close(m_context);
    const int error = connectModbusContext(m_context);
    m_connectionLost = error != 0;
    return error;
}

// Sizes the buffer of the request's function and lets a write fill it.
bool RtuModbusPrivate::preparePayload()
{
    const quint16 start = m_currentRequest.startAddress();
    const quint16 count = m_currentRequest.count();

    switch (m_currentRequest.function()) {
    case ModbusRequest::ReadCoils:
    case ModbusRequest::ReadDiscreteInputs:
        m_bits.reset(start, count);
        return true;
    case ModbusRequest::ReadHoldingRegisters:
    case ModbusRequest::ReadInputRegisters:
        m_registers.reset(start, count);
        return true;
    case ModbusRequest::WriteSingleCoil:
    case ModbusRequest::WriteMultipleCoils:
        m_bits.reset(start, count);
        m_currentRequest.fillBits(m_bits);
        return true;
    case ModbusRequest::WriteSingleRegister:
    case ModbusRequest::WriteMultipleRegisters:
        m_registers.reset(start, count);
        m_currentRequest.fillRegisters(m_registers);
        return true;
    default:
        return false;
    }
}

// The transaction itself: libmodbus calls only, nothing to unwind.
int RtuModbusPrivate::transfer()
{
    const quint16 start = m_currentRequest.startAddress();
    const quint16 count = m_currentRequest.count();
    m_transferDetail.clear();
    if (m_rtuOverTcp)
        return RtuOverTcp::transfer(m_context, m_currentRequest.function(), start, count,
            m_bits.data(), m_registers.data(), &m_transferDetail);

    switch (m_currentRequest.function()) {
    case ModbusRequest::ReadCoils:
        return modbus_read_bits(m_context, start, count, m_bits.data());
    case ModbusRequest::ReadDiscreteInputs:
        return modbus_read_input_bits(m_context, start, count, m_bits.data());
    case ModbusRequest::ReadHoldingRegisters:
        return modbus_read_registers(m_context, start, count, m_registers.data());
    case ModbusRequest::ReadInputRegisters:
        return modbus_read_input_registers(m_context, start, count, m_registers.data());
    case ModbusRequest::WriteSingleCoil:
        return modbus_write_bit(
            m_context, start, m_bits.count() > 0 && m_bits.data()[0] ? TRUE : FALSE);
    case ModbusRequest::WriteSingleRegister:
        return modbus_write_register(
            m_context, start, m_registers.count() > 0 ? m_registers.data()[0] : 0);
    case ModbusRequest::WriteMultipleCoils:
        return modbus_write_bits(m_context, start, count, m_bits.data());
    case ModbusRequest::WriteMultipleRegisters:
        return modbus_write_registers(m_context, start, count, m_registers.data());
    default:
        return 0;
    }
}
