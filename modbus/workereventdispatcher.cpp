// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/workereventdispatcher.h"
#include "common/logging.h"

bool WorkerEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags)
{
    return false;
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
bool WorkerEventDispatcher::hasPendingEvents()
{
    return false;
}

void WorkerEventDispatcher::flush()
{
}

void WorkerEventDispatcher::registerTimer(int timerId, int, Qt::TimerType, QObject *object)
#else
void WorkerEventDispatcher::registerTimer(int timerId, qint64, Qt::TimerType, QObject *object)
#endif
{
    qCWarning(lcModbus) << "!!! Timer" << timerId << "of" << object
                        << "never fires: the Modbus worker runs no event loop !!!";
}

void WorkerEventDispatcher::registerSocketNotifier(QSocketNotifier *notifier)
{
    qCWarning(lcModbus) << "!!! Socket notifier" << notifier
                        << "never fires: the Modbus worker runs no event loop !!!";
}

void WorkerEventDispatcher::unregisterSocketNotifier(QSocketNotifier *)
{
}

bool WorkerEventDispatcher::unregisterTimer(int)
{
    return false;
}

bool WorkerEventDispatcher::unregisterTimers(QObject *)
{
    return false;
}

QList<QAbstractEventDispatcher::TimerInfo> WorkerEventDispatcher::registeredTimers(QObject *) const
{
    return {};
}

int WorkerEventDispatcher::remainingTime(int)
{
    return -1;
}

void WorkerEventDispatcher::wakeUp()
{
}

void WorkerEventDispatcher::interrupt()
{
}
