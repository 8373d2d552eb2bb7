// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitorscanimpl.h"
#include "common/logging.h"
#include "devicedata/deviceinfodata.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitoractivityhost.h"
#include "devicemonitor/scanretries.h"
#include "devicemonitor/turnaroundstats.h"

#include <QDateTime>
#include <QTimer>

#include <cmath>

DeviceMonitorScanImpl::DeviceMonitorScanImpl(DeviceMonitorActivityHost *monitor, QObject *parent)
    : QObject(parent),
      m_monitor(monitor),
      m_probe(new DeviceInfoData(this)),
      m_quietTimer(new QTimer(this))
{
    m_quietTimer->setSingleShot(true);
    m_quietTimer->setTimerType(Qt::PreciseTimer);
    connect(m_quietTimer, &QTimer::timeout, this, &DeviceMonitorScanImpl::probeNextRetry);
}

DeviceMonitorScanImpl::~DeviceMonitorScanImpl() = default;

int DeviceMonitorScanImpl::shortWaitMs(
    double requestWireMs, double slowestP99Ms, int responseTimeoutMs)
{
    const int wait = qMax(MinShortWaitMs, int(std::ceil(requestWireMs + 3 * slowestP99Ms)));
    return qMin(wait, responseTimeoutMs);
}

void DeviceMonitorScanImpl::scan(int firstId, int lastId)
{
    if (m_monitor->state() != DeviceMonitor::Idle) {
        qCDebug(lcMonitor) << "Cann`t start scan - DeviceMonitor is busy";
        return;
    }
    if (!(lastId >= firstId && firstId > 0)) {
        qCDebug(lcMonitor) << "Wrong scan range";
        return;
    }
    m_monitor->setState(DeviceMonitor::Scanning);
    m_monitor->model()->clear();
    m_monitor->setCurrentDeviceId(-1);
    m_currentId = firstId;
    m_lastId = lastId;
    m_retrying = false;
    m_probeTransactionSeen = false;
    if (!m_thorough)
        m_retries = std::make_unique<ScanRetries>(firstId, lastId, m_monitor->responseTimeout());
    probe(firstId);
}

void DeviceMonitorScanImpl::probe(int id)
{
    // A quick scan waits less only once the line has shown how long its relays take, and never
    // when it asks again. Nor for the last ID of the range: no later request would see its late
    // answer, and its full wait sees those of the IDs before it.
    int wait = 0;
    const TurnaroundStats &turnarounds = m_monitor->turnarounds();
    if (m_retries && !m_retrying && id < m_lastId && turnarounds.hasAnswers()) {
        const int timeout = m_monitor->responseTimeout();
        const ModbusRequest &request = m_probe->readRequests().constFirst();
        const double requestWireMs = turnarounds.wireMs(
            TurnaroundStats::requestBytes(request.function(), request.count()));
        wait = shortWaitMs(requestWireMs, turnarounds.slowestP99Ms(), timeout);
        if (wait >= timeout)
            wait = 0;
    }
    m_probe->readRequests().first().setResponseTimeout(wait);
    m_monitor->read(id, m_probe);
}

void DeviceMonitorScanImpl::cancel()
{
    m_quietTimer->stop();
    m_monitor->cancelReads();
    finish();
}

void DeviceMonitorScanImpl::onTransactionFinished(const ModbusTransaction &transaction)
{
    if (m_monitor->state() != DeviceMonitor::Scanning
        || transaction.outcome == ModbusTransaction::Canceled)
        return;
    if (transaction.slaveId == uint(m_currentId)
        && transaction.function == ModbusRequest::ReadHoldingRegisters) {
        m_probeTransaction = transaction;
        m_probeTransactionSeen = true;
    } else if (m_retries) {
        m_retries->foundWaiting(transaction);
    }
}

void DeviceMonitorScanImpl::onDeviceDataProcessed(DeviceData *deviceData)
{
    // A write finishing during the scan is not a probe.
    if (deviceData != m_probe)
        return;
    // Only the ID's own valid answer lists it: timeouts, exception replies, corrupt frames and
    // answers from other slaves all mean nobody there answered this request.
    const bool found = m_probe->isReadSuccessful();
    if (found)
        m_monitor->model()->addDevice(m_currentId, m_probe->deviceInfo());
    if (m_retries && m_probeTransactionSeen)
        m_retries->probed(m_probeTransaction, found);
    m_probeTransactionSeen = false;

    if (!m_retrying) {
        m_monitor->reportScanProgress(m_currentId);
        if (++m_currentId <= m_lastId) {
            probe(m_currentId);
            return;
        }
        if (!m_retries) {
            finish();
            return;
        }
        m_retries->endPass();
        m_retrying = true;
        // The first retry waits until no late answer can still come; those that came were
        // found waiting on the line before it and may mark more IDs.
        const qint64 quiet = m_retries->quietAt() - QDateTime::currentMSecsSinceEpoch();
        if (!m_retries->pending().isEmpty() && quiet > 0) {
            m_quietTimer->start(int(quiet));
            return;
        }
    }
    probeNextRetry();
}

void DeviceMonitorScanImpl::probeNextRetry()
{
    m_currentId = m_retries->takeNext();
    if (m_currentId < 0) {
        finish();
        return;
    }
    qCDebug(lcMonitor) << "Asking slave" << m_currentId << "again with the full response timeout";
    probe(m_currentId);
}

void DeviceMonitorScanImpl::finish()
{
    m_quietTimer->stop();
    m_retries.reset();
    m_retrying = false;
    DeviceListModel *model = m_monitor->model();
    if (m_monitor->currentDeviceId() == -1 && model->rowCount() > 0)
        m_monitor->setCurrentDeviceId(model->deviceIdAt(0));
    m_monitor->setState(DeviceMonitor::Idle);
}
