// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/devicedata.h"
#include "common/logging.h"
#include "common/threadhandover.h"

#include <QMetaObject>

#include <algorithm>

namespace {

bool allSucceeded(const QVector<ModbusRequest> &requests)
{
    return std::all_of(requests.cbegin(), requests.cend(),
        [](const ModbusRequest &request) { return request.result() == ModbusRequest::Success; });
}

} // namespace

DeviceData::DeviceData(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<DeviceData::State>();
}

void DeviceData::setState(State state)
{
    if (state == m_state)
        return;
    const State previous = m_state;
    m_state = state;
    emit stateChanged(state, previous);
}

bool DeviceData::isReadSuccessful() const
{
    return allSucceeded(m_readRequests);
}

bool DeviceData::isWriteSuccessful() const
{
    return allSucceeded(m_writeRequests);
}

bool DeviceData::isReadStopped() const
{
    return std::any_of(
        m_readRequests.cbegin(), m_readRequests.cend(), [](const ModbusRequest &request) {
            return request.isEnabled() && request.result() == ModbusRequest::NoResult;
        });
}

void DeviceData::reset()
{
    if (m_state != Inactive) {
        qCDebug(lcDeviceData) << "!!! Reset data only possible in Inactive state !!!";
        return;
    }
    setState(Resetting);
    discardRepliesInFlight();
    m_hasData = false;
    resetData();
    setState(Inactive);
}

void DeviceData::postToOwnThread(std::function<void()> function)
{
    ThreadHandOver::release(this);
    {
        const ThreadHandOver::PostingScope posting;
        QMetaObject::invokeMethod(
            this,
            [this, function = std::move(function)] {
                ThreadHandOver::acquire(this);
                function();
                ThreadHandOver::release(this);
            },
            Qt::QueuedConnection);
    }
    // Whichever thread lets go of the call last destroys it, and with it what
    // it captured: a capture shared with the caller may be freed here after
    // the call ran.
    ThreadHandOver::acquire(this);
}
