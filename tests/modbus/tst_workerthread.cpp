// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/rtumodbus.h"
#include "modbus/workereventdispatcher.h"
#include "relaybus.h"

#include <QAbstractEventDispatcher>
#include <QtTest>

#include <atomic>
#include <memory>

// The thread each transaction runs on: it gets the endpoint's own event
// dispatcher at every start, whatever the previous transaction came to, and
// that dispatcher tells anyone who relies on an event loop there.
class WorkerThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void everyTransactionRunsOnTheWorkerDispatcher();
    void timerOnTheWorkerIsReported();

private:
    QScopedPointer<RelayBus> m_bus;
};

void WorkerThreadTest::initTestCase()
{
    m_bus.reset(new RelayBus({ 1 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
}

void WorkerThreadTest::everyTransactionRunsOnTheWorkerDispatcher()
{
    RtuModbus modbus;
    modbus.setResponseTimeout(100);
    QVERIFY(modbus.openPort(m_bus->portPath(), SerialPortSettings()));

    std::atomic<int> onWorkerDispatcher { 0 };
    std::atomic<int> replies { 0 };
    const ModbusRequest read(ModbusRequest::ReadHoldingRegisters, 0, 10,
        ModbusRequest::RegistersReplyHandler([&](ModbusRequest::Result, const ModbusRegisters &) {
            ++replies;
            if (qobject_cast<WorkerEventDispatcher *>(QAbstractEventDispatcher::instance()))
                ++onWorkerDispatcher;
        }));

    // A success, a timeout (slave 7 is absent), a canceled transaction and
    // one more success: each start must find a dispatcher of its own, as Qt
    // deletes the last one when a run ends or is cut short.
    const uint slaves[] = { 1, 7, 1, 1 };
    for (int i = 0; i < 4; ++i) {
        QSignalSpy finished(&modbus, &RtuModbus::requestFinished);
        QVERIFY(modbus.request(slaves[i], read));
        if (i == 2) {
            modbus.cancel();
            continue;
        }
        QVERIFY(finished.wait(5000));
    }
    QCOMPARE(onWorkerDispatcher.load(), replies.load());
    QVERIFY(replies.load() >= 3);
    modbus.closePort();
}

void WorkerThreadTest::timerOnTheWorkerIsReported()
{
    const std::unique_ptr<QThread> thread(QThread::create([] {
        QTimer timer;
        timer.start(10);
    }));
    thread->setEventDispatcher(new WorkerEventDispatcher);
    QTest::ignoreMessage(QtWarningMsg,
        QRegularExpression(
            QStringLiteral("Timer .* never fires: the Modbus worker runs no event loop")));
    thread->start();
    QVERIFY(thread->wait(5000));
}

QTEST_GUILESS_MAIN(WorkerThreadTest)
#include "tst_workerthread.moc"
