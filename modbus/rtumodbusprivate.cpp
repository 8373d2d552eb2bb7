// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/rtumodbusprivate.h"
#include "modbus/rtumodbus.h"
#include "modbus/threadhandover.h"

#include <QDateTime>
#include <QDebug>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

QString errorString(int error)
{
    return QStringLiteral("[%1: %2]")
        .arg(error)
        .arg(QString::fromLocal8Bit(modbus_strerror(error)));
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

RtuModbusPrivate::RtuModbusPrivate(RtuModbus *q) : QThread(q), q(q)
{
    qRegisterMetaType<ModbusTransaction>();
    connect(this, &QThread::finished, this, &RtuModbusPrivate::onFinished);
    // Runs on the worker thread, after run() returned or was stopped: the last
    // of this object the worker touches.
    connect(
        this, &QThread::finished, this, [this] { ThreadHandOver::release(this); },
        Qt::DirectConnection);
    clock.start();
}

bool RtuModbusPrivate::openPort(const QString &portName, const SerialPortSettings &settings)
{
    if (context) {
        qDebug() << "Already opened";
        return false;
    }
    lastOpenError.clear();
    lastOpenErrno = 0;

    const QByteArray device = serialDevicePath(portName).toLatin1();
    context = modbus_new_rtu(device.constData(), settings.baudRate(),
        parityCharacter(settings.parity()), settings.dataBits(), settings.stopBits());
    if (!context) {
        lastOpenErrno = errno;
        lastOpenError = QString::fromLocal8Bit(modbus_strerror(lastOpenErrno));
        qDebug() << "Unable to create the libmodbus context " << errorString(errno);
        return false;
    }

    modbus_set_debug(context, TRUE);
    applyResponseTimeout();

    if (modbus_connect(context) == -1) {
        lastOpenErrno = errno;
        lastOpenError = QString::fromLocal8Bit(modbus_strerror(lastOpenErrno));
        qDebug() << "Connection failed " << errorString(errno);
        modbus_free(context);
        context = nullptr;
        return false;
    }
    return true;
}

bool RtuModbusPrivate::closePort()
{
    if (!context) {
        qDebug() << "Already closed";
        return false;
    }
    modbus_close(context);
    modbus_free(context);
    context = nullptr;
    return true;
}

void RtuModbusPrivate::setResponseTimeout(int milliseconds)
{
    responseTimeoutMs = milliseconds;
    // The context is the worker's while a transaction runs.
    if (isRunning())
        timeoutChangePending = true;
    else
        applyResponseTimeout();
}

void RtuModbusPrivate::applyResponseTimeout()
{
    if (!context)
        return;
    // libmodbus refuses a zero timeout and would keep the one it had.
    const int milliseconds = effectiveResponseTimeout();
    if (modbus_set_response_timeout(
            context, uint32_t(milliseconds / 1000), uint32_t(milliseconds % 1000) * 1000)
        == -1)
        qDebug() << "!!! Response timeout not set !!!" << milliseconds << errorString(errno);
}

int RtuModbusPrivate::effectiveResponseTimeout() const
{
    return qMax(1, responseTimeoutMs);
}

bool RtuModbusPrivate::request(uint slaveId, const ModbusRequest &request)
{
    if (transactionOpen) {
        qDebug() << "Previous request pending";
        return false;
    }
    if (modbus_set_slave(context, int(slaveId)) == -1) {
        qDebug() << "Could`t set slave ID: " << slaveId << " " << errorString(errno);
        return false;
    }
    if (!request.isEnabled()) {
        qDebug() << "ModbusRequest is disabled";
        return false;
    }
    if (!request.isValid()) {
        qDebug() << "Invalid ModbusRequest";
        return false;
    }

    if (timeoutChangePending) {
        applyResponseTimeout();
        timeoutChangePending = false;
    }
    bits = ModbusBits();
    registers = ModbusRegisters();
    currentRequest = request;
    this->slaveId = slaveId;
    startNotBefore = lineQuietAt;
    // A broadcast takes whatever comes back as a failure, so it waits for all.
    for (auto it = relayQuietAt.cbegin(); it != relayQuietAt.cend(); ++it) {
        if (it.key() == slaveId || slaveId == MODBUS_BROADCAST_ADDRESS)
            startNotBefore = qMax(startNotBefore, it.value());
    }
    transactionOpen = true;
    frameSentAt = -1;
    requestedAtMs = QDateTime::currentMSecsSinceEpoch();
    sentAtMs = requestedAtMs;
    transferNs = 0;
    start(QThread::NormalPriority);
    return true;
}

void RtuModbusPrivate::cancel()
{
    if (!transactionOpen)
        return;

    ++canceled;
    transactionOpen = false;
    // The answer may come up to one response timeout after the frame went
    // out; if it has not gone out yet, it may be going out now.
    const qint64 sentAt = frameSentAt;
    lineQuietAt
        = qMax(lineQuietAt, (sentAt >= 0 ? sentAt : clock.elapsed()) + effectiveResponseTimeout());
    // No cooperative stop: the libmodbus call may sit in select() for the
    // whole response timeout, and the caller must not wait for it. A thread
    // past run() no longer counts as running, but may still be winding down:
    // it is waited for all the same.
    if (isRunning())
        terminate();
    wait();
    ThreadHandOver::acquire(this);
    ModbusTransaction record = transactionRecord(ModbusTransaction::Canceled);
    record.startedAt = requestedAtMs;
    record.durationUs = (QDateTime::currentMSecsSinceEpoch() - requestedAtMs) * 1000;
    emit q->transactionFinished(record);
}

void RtuModbusPrivate::onFinished()
{
    if (canceled > 0) {
        qDebug() << "canceled";
        --canceled;
        return;
    }
    // The thread is past run() and only winding down; nothing starts another
    // before the transaction is closed below.
    wait();
    ThreadHandOver::acquire(this);
    qDebug() << "finished";
    transactionOpen = false;
    // A relay that did not answer in time may answer yet, and a wrong answer
    // may have been the late one to an earlier request, with this request's
    // own still on its way. Neither may pass for the answer to the next
    // request to that relay: that waits until the relay has had as long again,
    // then flushes. Other relays need not wait: libmodbus refuses an answer
    // from a slave it did not ask.
    if (currentRequest.result() != ModbusRequest::Success)
        relayQuietAt.insert(slaveId, clock.elapsed() + effectiveResponseTimeout());
    emit q->transactionFinished(transactionRecord(transferOutcome));
    emit q->requestFinished();
}

void RtuModbusPrivate::run()
{
    // cancel() may stop this thread only while it waits on the line, where no
    // C++ object is alive: a forced unwind through a destructor (one that
    // logs, say) would abort the whole program.
    setTerminationEnabled(false);
    const bool supported = preparePayload();
    setTerminationEnabled(true);
    waitForQuietLine();
    frameSentAt = clock.elapsed();
    sentAtMs = QDateTime::currentMSecsSinceEpoch();
    const auto sent = std::chrono::steady_clock::now();
    const int rc = supported ? transfer() : 0;
    const int error = supported ? errno : EMBXILFUN;
    const auto taken = std::chrono::steady_clock::now() - sent;
    transferNs = std::chrono::duration_cast<std::chrono::nanoseconds>(taken).count();
    setTerminationEnabled(false);
    transferError = error;
    transferOutcome = ModbusTransaction::Success;

    if (!supported)
        qDebug() << "Modbus function" << currentRequest.function() << "is not supported";
    qDebug() << "libmodbus request result:" << rc << "error:" << errorString(error);

    if (rc <= 0 && !isSentBroadcast(error)) {
        transferOutcome = ModbusTransaction::outcomeOfError(error);
        currentRequest.setFailed(
            error == ETIMEDOUT ? ModbusRequest::Timeout : ModbusRequest::Error);
        return;
    }
    if (currentRequest.dataType() == ModbusRequest::Bits)
        currentRequest.setBitsReply(bits);
    else if (currentRequest.dataType() == ModbusRequest::Registers)
        currentRequest.setRegistersReply(registers);
}

ModbusTransaction RtuModbusPrivate::transactionRecord(ModbusTransaction::Outcome outcome) const
{
    ModbusTransaction record;
    record.startedAt = sentAtMs;
    record.durationUs = transferNs / 1000;
    record.slaveId = slaveId;
    record.function = currentRequest.function();
    record.startAddress = currentRequest.startAddress();
    record.count = currentRequest.count();
    record.outcome = outcome;
    if (outcome == ModbusTransaction::Exception)
        record.exceptionCode = transferError - MODBUS_ENOBASE;
    if (outcome == ModbusTransaction::OtherError)
        record.error = transferError;
    return record;
}

// No relay answers a broadcast, yet libmodbus waits for an answer all the
// same: its timeout is how a broadcast write that went out ends.
bool RtuModbusPrivate::isSentBroadcast(int error) const
{
    if (slaveId != MODBUS_BROADCAST_ADDRESS || error != ETIMEDOUT)
        return false;
    switch (currentRequest.function()) {
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
    const qint64 remaining = startNotBefore - clock.elapsed();
    // Not QThread::msleep(): cancel() may stop the thread in this sleep, and
    // ThreadSanitizer builds, which skip what Qt's libraries call, cannot
    // follow a thread stopped inside such a call.
    if (remaining > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(remaining));
    modbus_flush(context);
}

// Sizes the buffer of the request's function and lets a write fill it.
bool RtuModbusPrivate::preparePayload()
{
    const quint16 start = currentRequest.startAddress();
    const quint16 count = currentRequest.count();

    switch (currentRequest.function()) {
    case ModbusRequest::ReadCoils:
    case ModbusRequest::ReadDiscreteInputs:
        bits.reset(start, count);
        return true;
    case ModbusRequest::ReadHoldingRegisters:
    case ModbusRequest::ReadInputRegisters:
        registers.reset(start, count);
        return true;
    case ModbusRequest::WriteSingleCoil:
    case ModbusRequest::WriteMultipleCoils:
        bits.reset(start, count);
        currentRequest.fillBits(bits);
        return true;
    case ModbusRequest::WriteSingleRegister:
    case ModbusRequest::WriteMultipleRegisters:
        registers.reset(start, count);
        currentRequest.fillRegisters(registers);
        return true;
    default:
        return false;
    }
}

// The transaction itself: libmodbus calls only, nothing to unwind.
int RtuModbusPrivate::transfer()
{
    const quint16 start = currentRequest.startAddress();
    const quint16 count = currentRequest.count();

    switch (currentRequest.function()) {
    case ModbusRequest::ReadCoils:
        return modbus_read_bits(context, start, count, bits.data());
    case ModbusRequest::ReadDiscreteInputs:
        return modbus_read_input_bits(context, start, count, bits.data());
    case ModbusRequest::ReadHoldingRegisters:
        return modbus_read_registers(context, start, count, registers.data());
    case ModbusRequest::ReadInputRegisters:
        return modbus_read_input_registers(context, start, count, registers.data());
    case ModbusRequest::WriteSingleCoil:
        return modbus_write_bit(context, start, bits.count() > 0 && bits.data()[0] ? TRUE : FALSE);
    case ModbusRequest::WriteSingleRegister:
        return modbus_write_register(
            context, start, registers.count() > 0 ? registers.data()[0] : 0);
    case ModbusRequest::WriteMultipleCoils:
        return modbus_write_bits(context, start, count, bits.data());
    case ModbusRequest::WriteMultipleRegisters:
        return modbus_write_registers(context, start, count, registers.data());
    default:
        return 0;
    }
}
