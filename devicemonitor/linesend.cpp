// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linesend.h"

#include "devicedata/registersequencedata.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/linerow.h"

std::optional<LineSend::Relay> LineSend::Relay::of(const LineRow &row)
{
    if ((row.state != LineRow::Differs && row.state != LineRow::Identical) || !row.settings)
        return std::nullopt;
    return Relay { row.slaveId, row.settings->identity.serialNumber, row.fileValues, row.settings };
}

std::optional<SendPlan> LineSend::Relay::shownPlan() const
{
    if (!shown)
        return std::nullopt;
    return SendPlan(*shown, differingValues(shown->values, fileValues));
}

bool LineSend::Outcome::isComplete() const
{
    if (!result || result->end != WriteResult::Finished || !result->send.readBack)
        return false;
    const SendSummary summary = result->send.summary();
    return summary.planned == summary.verified;
}

QString LineSend::Outcome::text() const
{
    if (!result)
        return LineSend::tr("Device %1: not sent").arg(slaveId);
    if (result->end == WriteResult::Refused)
        return result->reason;
    if (result->send.sent.isEmpty() && result->end == WriteResult::Finished)
        return LineSend::tr("Device %1 holds its file already; nothing was written.").arg(slaveId);
    QStringList text { result->send.summary().headline(slaveId), result->send.stoppedText(),
        result->send.notTakenText() };
    if (result->end == WriteResult::Stopped)
        text.prepend(result->reason);
    text.removeAll(QString());
    return text.join(QLatin1Char(' '));
}

LineSend::LineSend(DeviceMonitor *monitor, QObject *parent) : QObject(parent), m_monitor(monitor)
{
}

LineSend::~LineSend() = default;

void LineSend::send(const QVector<Relay> &relays, JournalEntry::Kind kind)
{
    if (isRunning())
        return;
    m_kind = kind;
    m_relays = relays;
    m_outcomes.clear();
    m_sequences.clear();
    for (const Relay &relay : relays) {
        m_outcomes.push_back({ relay.slaveId, std::nullopt });
        m_sequences.push_back(std::make_unique<RegisterSequenceData>());
    }
    m_next = 0;
    m_stopped = false;
    sendNext();
}

void LineSend::stop()
{
    m_stopped = true;
}

void LineSend::sendNext()
{
    if (m_next >= m_relays.size() || m_stopped) {
        m_next = m_relays.size();
        emit finished();
        return;
    }
    const Relay &relay = m_relays.at(m_next);
    WriteOrder order;
    order.slaveId = relay.slaveId;
    order.fileValues = relay.fileValues;
    if (relay.shown)
        order.expected = relay.shown->values;
    order.expectedSerial = relay.serialNumber;
    order.sequence = m_sequences.at(size_t(m_next)).get();
    order.kind = m_kind;
    m_running = true;
    WriteOperation *operation = m_monitor->startWrite(order);
    connect(operation, &WriteOperation::finished, this, &LineSend::onFinished);
    emit relayStarted(relay.slaveId);
}

void LineSend::onFinished(const WriteResult &result)
{
    m_running = false;
    const int index = m_next++;
    m_outcomes[size_t(index)].result = result;
    emit relayFinished(index);
    sendNext();
}
