// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linereader.h"

#include "devicedata/settingsfile.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/relaysession.h"

#include <QSet>

#include <algorithm>

LineReader::LineReader(DeviceMonitor *monitor, QObject *parent)
    : QObject(parent), m_monitor(monitor)
{
    connect(monitor, &DeviceMonitor::scanProgress, this, [this] {
        if (m_phase == Scanning)
            emit progress(++m_done, m_total);
    });
    connect(monitor, &DeviceMonitor::stateChanged, this, [this](DeviceMonitor::State state) {
        // Once the monitor has finished its own work of the scan's end.
        if (m_phase == Scanning && state == DeviceMonitor::Idle)
            QMetaObject::invokeMethod(this, &LineReader::onScanEnded, Qt::QueuedConnection);
    });
}

LineReader::~LineReader() = default;

const RelaySession *LineReader::session(int slaveId) const
{
    const auto found = std::find_if(m_sessions.cbegin(), m_sessions.cend(),
        [slaveId](const auto &session) { return session->slaveId() == slaveId; });
    return found == m_sessions.cend() ? nullptr : found->get();
}

void LineReader::read(int firstId, int lastId)
{
    if (isReading() || m_monitor->state() == DeviceMonitor::Scanning)
        return;
    m_rows.clear();
    m_sessions.clear();
    m_next = 0;
    m_canceled = false;
    m_firstId = firstId;
    m_lastId = lastId;
    m_done = 0;
    m_total = lastId - firstId + 1;
    m_phase = Scanning;
    emit rowsReset();
    m_monitor->scan(firstId, lastId);
    // A scan the monitor would not start (a bad range, no line) ends at once.
    if (m_monitor->state() != DeviceMonitor::Scanning)
        onScanEnded();
}

void LineReader::cancel()
{
    if (!isReading())
        return;
    m_canceled = true;
    if (m_phase == Scanning) {
        m_monitor->cancelScan();
        return;
    }
    if (m_next < int(m_sessions.size()))
        m_sessions.at(size_t(m_next))->cancel();
}

void LineReader::onScanEnded()
{
    // The monitor goes idle as the scan stops a refresh, and may more than once as it ends.
    if (m_phase != Scanning || m_monitor->state() == DeviceMonitor::Scanning)
        return;
    m_phase = Reading;
    if (m_canceled)
        return finish();
    const DeviceListModel *model = m_monitor->deviceListModel();
    QSet<int> answered;
    for (int row = 0; row < model->rowCount(); ++row)
        answered.insert(model->deviceIdAt(row));
    QSet<int> ids = answered;
    if (m_folder) {
        for (const LineRelay &relay : m_folder->relays()) {
            // Outside the range the scan did not ask: the session will.
            const bool scanned = relay.slaveId >= m_firstId && relay.slaveId <= m_lastId;
            if (scanned && !answered.contains(relay.slaveId)) {
                LineRow row;
                row.slaveId = relay.slaveId;
                row.state = LineRow::NotAnswering;
                row.file = relay.file;
                m_rows.append(row);
            } else {
                ids.insert(relay.slaveId);
            }
        }
    }
    QList<int> toRead = ids.values();
    std::sort(toRead.begin(), toRead.end());
    for (int id : qAsConst(toRead)) {
        auto session = std::make_unique<RelaySession>(m_monitor, id);
        session->setReadsCrashLog(m_readsCrashLogs);
        connect(session.get(), &RelaySession::finished, this, &LineReader::onSessionFinished);
        m_sessions.push_back(std::move(session));
        LineRow row;
        row.slaveId = id;
        m_rows.append(row);
    }
    std::sort(m_rows.begin(), m_rows.end(),
        [](const LineRow &a, const LineRow &b) { return a.slaveId < b.slaveId; });
    m_total = m_done + int(m_sessions.size());
    emit rowsReset();
    emit progress(m_done, m_total);
    readNext();
}

void LineReader::readNext()
{
    if (m_canceled || m_next >= int(m_sessions.size()))
        return finish();
    m_sessions.at(size_t(m_next))->read();
}

void LineReader::onSessionFinished()
{
    const RelaySession &session = *m_sessions.at(size_t(m_next));
    const auto row = std::find_if(m_rows.begin(), m_rows.end(),
        [&session](const LineRow &each) { return each.slaveId == session.slaveId(); });
    judge(*row, session);
    emit rowChanged(int(row - m_rows.begin()));
    emit progress(++m_done, m_total);
    ++m_next;
    // After the session's last block has been dealt with everywhere.
    QMetaObject::invokeMethod(this, &LineReader::readNext, Qt::QueuedConnection);
}

void LineReader::judge(LineRow &row, const RelaySession &session) const
{
    row.identity = session.deviceInfo();
    row.modules = session.modules();
    row.crashCount = session.crashCount();
    row.clockOffsetSeconds = session.clockOffsetSeconds();
    row.health = m_monitor->deviceListModel()->health(session.slaveId());
    const LineRelay *entry = m_folder ? m_folder->relay(session.slaveId()) : nullptr;
    if (entry)
        row.file = entry->file;

    switch (session.outcome()) {
    case RelaySession::AnotherType:
        row.state = LineRow::AnotherType;
        return;
    case RelaySession::NotAnswering:
        row.state = LineRow::NotAnswering;
        return;
    case RelaySession::Complete:
        break;
    default:
        row.state = LineRow::NotRead;
        return;
    }
    const std::optional<RelaySettings> relay = session.settings();
    if (!relay) {
        row.state = LineRow::NotRead;
        return;
    }
    if (!entry)
        return row.judge(*relay, nullptr, nullptr, QString());
    QStringList problems;
    const SettingsFile file = SettingsFile::read(m_folder->filePath(*entry), &problems);
    if (problems.isEmpty())
        row.judge(*relay, entry, &file, QString());
    else
        row.judge(*relay, entry, nullptr, problems.join(QLatin1Char(' ')));
}

void LineReader::finish()
{
    m_phase = Idle;
    emit finished();
}
