// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WORKEREVENTDISPATCHER_H
#define WORKEREVENTDISPATCHER_H

#include <QAbstractEventDispatcher>

// The event dispatcher of the Modbus worker thread, which runs one
// transaction and no event loop: nothing on it waits for a timer, a socket or
// a posted event. Qt would otherwise build a full dispatcher (a GLib main
// context) at every thread start and tear it down again before finished()
// is delivered, for each transaction. Asked to watch a timer or a socket, it
// says so in the log: nothing on this thread would ever deliver them.
class WorkerEventDispatcher final : public QAbstractEventDispatcher
{
    Q_OBJECT

public:
    using QAbstractEventDispatcher::QAbstractEventDispatcher;

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    bool hasPendingEvents() override;
    void flush() override;
    void registerTimer(
        int timerId, int interval, Qt::TimerType timerType, QObject *object) override;
#else
    void registerTimer(
        int timerId, qint64 interval, Qt::TimerType timerType, QObject *object) override;
#endif
    void registerSocketNotifier(QSocketNotifier *notifier) override;
    void unregisterSocketNotifier(QSocketNotifier *notifier) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject *object) override;
    QList<TimerInfo> registeredTimers(QObject *object) const override;
    int remainingTime(int timerId) override;
    void wakeUp() override;
    void interrupt() override;
};

#endif // WORKEREVENTDISPATCHER_H
