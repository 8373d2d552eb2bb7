// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/connectattempt.h"
#include "common/threadhandover.h"
#include "modbus/modbusbackend.h"
#include "modbus/workereventdispatcher.h"

ConnectAttempt::ConnectAttempt(const ConnectionSettings &settings, int timeoutMs, QObject *parent)
    : QThread(parent), m_settings(settings), m_timeoutMs(qMax(1, timeoutMs))
{
    // Queued: the attempt lives on the GUI thread. Connected first, so that
    // posting it (which reads this object's meta-object) comes before the
    // release below, the last of this object the worker touches.
    connect(this, &QThread::finished, this, &ConnectAttempt::onFinished);
    connect(
        this, &QThread::finished, this, [this] { ThreadHandOver::release(this); },
        Qt::DirectConnection);
    setEventDispatcher(new WorkerEventDispatcher);
}

ConnectAttempt::~ConnectAttempt()
{
    // Past run() by now (deleted once finished() was delivered): only
    // winding down.
    wait();
    ThreadHandOver::acquire(this);
    if (m_context) {
        modbus_close(m_context);
        modbus_free(m_context);
    }
}

modbus_t *ConnectAttempt::takeContext()
{
    modbus_t *context = m_context;
    m_context = nullptr;
    return context;
}

void ConnectAttempt::abandon()
{
    m_abandoned = true;
    setParent(nullptr);
    if (isFinished())
        deleteLater();
}

void ConnectAttempt::onFinished()
{
    // Past run() and only winding down: what it made is complete once the
    // worker is gone.
    wait();
    ThreadHandOver::acquire(this);
    if (m_abandoned)
        deleteLater();
    else
        emit done();
}

void ConnectAttempt::run()
{
    modbus_t *context = newModbusContext(m_settings, &m_error);
    if (!context)
        return;
    m_contextMade = true;
    modbus_set_debug(context, TRUE);
    // Also how long the connection may take to be accepted.
    modbus_set_response_timeout(
        context, uint32_t(m_timeoutMs / 1000), uint32_t(m_timeoutMs % 1000) * 1000);
    m_error = connectModbusContext(context);
    if (m_error != 0) {
        modbus_free(context);
        return;
    }
    m_context = context;
}
