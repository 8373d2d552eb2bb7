// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/relayfinder.h"
#include "modbus/modbusrequest.h"
#include "modbus/rtumodbus.h"

#include <cmath>

namespace {

// Read holding register 0, one register: the shortest request, eight bytes,
// and its answer, seven.
constexpr int RequestBytes = 8;
constexpr int AnswerBytes = 7;
constexpr double InterFrameGapCharacters = 3.5;
constexpr int LastSlaveId = 247;

} // namespace

RelayFinder::RelayFinder(QObject *parent) : QObject(parent), m_modbus(new RtuModbus(this))
{
    connect(m_modbus, &RtuModbus::requestFinished, this, &RelayFinder::onRequestFinished);
    connect(m_modbus, &RtuModbus::transactionFinished, this, &RelayFinder::onTransactionFinished);
    // Nothing can answer on a port that failed: the search ends there.
    connect(m_modbus, &RtuModbus::portFailed, this, [this] {
        m_error = tr("The adapter on %1 was removed").arg(m_portName);
        stop(false);
    });
}

RelayFinder::~RelayFinder() = default;

QList<SerialPortSettings> RelayFinder::candidateSettings()
{
    QList<SerialPortSettings> candidates;
    for (int baudRate : { 9600, 19200, 38400, 57600, 115200 }) {
        for (int parity : { SerialPortSettings::NoParity, SerialPortSettings::EvenParity,
                 SerialPortSettings::OddParity }) {
            SerialPortSettings settings;
            settings.setBaudRate(baudRate);
            settings.setParity(parity);
            candidates.append(settings);
        }
    }
    return candidates;
}

int RelayFinder::tryTimeoutMs(const SerialPortSettings &settings, int waitMs)
{
    const int parityBits = settings.parity() == SerialPortSettings::EvenParity
            || settings.parity() == SerialPortSettings::OddParity
        ? 1
        : 0;
    const int bitsPerCharacter = 1 + settings.dataBits() + parityBits + settings.stopBits();
    const double characters = RequestBytes + InterFrameGapCharacters + AnswerBytes;
    const double wireMs = characters * bitsPerCharacter * 1000.0 / qMax(1, settings.baudRate());
    return int(std::lround(wireMs)) + qMax(0, waitMs);
}

int RelayFinder::tryCount() const
{
    return m_candidates.size() * (m_lastId - m_firstId + 1);
}

bool RelayFinder::start(const QString &portName, int firstId, int lastId)
{
    m_error.clear();
    if (m_running || firstId < 1 || lastId < firstId || lastId > LastSlaveId)
        return false;
    m_portName = portName;
    m_firstId = firstId;
    m_lastId = lastId;
    m_candidates = candidateSettings();
    m_results.clear();
    m_done = 0;
    if (!openAt(0))
        return false;
    m_running = true;
    m_slaveId = firstId;
    emit progress(0, tryCount());
    if (!sendTry()) {
        stop(false);
        return false;
    }
    return true;
}

void RelayFinder::cancel()
{
    if (m_running)
        stop(false);
}

bool RelayFinder::openAt(int settingsIndex)
{
    m_settingsIndex = settingsIndex;
    if (m_modbus->isOpen())
        m_modbus->closePort();
    const SerialPortSettings &settings = m_candidates.at(settingsIndex);
    m_modbus->setResponseTimeout(tryTimeoutMs(settings, m_waitMs));
    if (m_modbus->openPort(m_portName, settings))
        return true;
    m_error = m_modbus->openError();
    return false;
}

bool RelayFinder::sendTry()
{
    m_answered = false;
    return m_modbus->request(uint(m_slaveId),
        ModbusRequest(
            ModbusRequest::ReadHoldingRegisters, 0, 1, ModbusRequest::RegistersReplyHandler()));
}

void RelayFinder::onTransactionFinished(const ModbusTransaction &transaction)
{
    m_answered = transaction.isAnswered();
}

void RelayFinder::onRequestFinished()
{
    if (!m_running)
        return;
    if (m_answered) {
        const SerialPortSettings &settings = m_candidates.at(m_settingsIndex);
        addResult(m_slaveId, settings);
        emit relayFound(m_slaveId, settings.baudRate(), settings.parity());
    }
    emit progress(++m_done, tryCount());
    if (!m_running)
        return; // canceled by a receiver

    if (m_slaveId < m_lastId) {
        ++m_slaveId;
    } else if (m_settingsIndex + 1 < m_candidates.size()) {
        m_slaveId = m_firstId;
        if (!openAt(m_settingsIndex + 1)) {
            stop(false);
            return;
        }
    } else {
        stop(true);
        return;
    }
    if (!sendTry())
        stop(false);
}

void RelayFinder::addResult(int slaveId, const SerialPortSettings &settings)
{
    for (Result &result : m_results) {
        if (result.slaveId == slaveId) {
            result.settings.append(settings);
            return;
        }
    }
    m_results.append({ slaveId, { settings } });
}

void RelayFinder::stop(bool completed)
{
    m_running = false;
    if (m_modbus->isOpen())
        m_modbus->closePort();
    emit finished(completed);
}
