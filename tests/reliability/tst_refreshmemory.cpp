// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/trafficmodel.h"
#include "namedchild.h"
#include "quiettrace.h"
#include "relaybus.h"
#include "settingsfolder.h"
#include "testtimeouts.h"
#include "ui/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

// The whole program, driven through its window, auto-refreshing a relay for
// ten thousand transactions with the tabs taking turns: its resident memory
// must stay put. A worker thread is started for every transaction, so what
// one transaction leaves behind adds up fast here.

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KORVEL_SANITIZED_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KORVEL_SANITIZED_BUILD 1
#endif
#endif

namespace {

constexpr int SlaveId = 1;
// Past the traffic view's ring, so that what grows by design up to its capacity is full before
// the measurement starts.
constexpr quint64 WarmUpTransactions = TrafficModel::DefaultCapacity + 2000;
constexpr quint64 MeasuredTransactions = 10000;
// Each tab's blocks get this many transactions before the next tab is shown.
constexpr quint64 TransactionsPerTab = 500;
constexpr qint64 AllowedGrowthKiB = 1024;

qint64 residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) / 1024;
}

} // namespace

class RefreshMemoryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void autoRefreshKeepsMemoryFlat();

private:
    // Lets auto-refresh run until the relay has seen this many more requests,
    // showing the next tab every TransactionsPerTab; false if it stalls.
    bool runTransactions(quint64 count);

    SettingsFolder m_folder;
    QScopedPointer<RelayBus> m_bus;
    MainWindow *m_window = nullptr;
    QTabWidget *m_tabs = nullptr;
};

void RefreshMemoryTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_folder.isEntered());

    m_bus.reset(new RelayBus({ SlaveId }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    m_bus->setCrashCount(SlaveId, 5);

    ConnectionSettings connection;
    connection.portName = m_bus->portPath();
    saveConnectionSettings(connection);
    // No pause between transactions; nothing is lost, so the timeout only
    // bounds a stall.
    saveDeviceSettings({ 0, 100 });
}

void RefreshMemoryTest::cleanupTestCase()
{
    if (m_window)
        m_window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_bus.reset();
}

bool RefreshMemoryTest::runTransactions(quint64 count)
{
    const quint64 start = m_bus->framesReceived();
    quint64 nextTab = start + TransactionsPerTab;
    quint64 lastSeen = start;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    // Wakes the loop below should the program fall silent. QTest::qWait()
    // would sleep between its rounds of events and hold every transaction up.
    QTimer heartbeat;
    heartbeat.start(100);
    while (m_bus->framesReceived() - start < count) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const quint64 seen = m_bus->framesReceived();
        if (seen != lastSeen) {
            lastSeen = seen;
            sinceProgress.restart();
        } else if (sinceProgress.elapsed() > StepWaitMs) {
            return false;
        }
        if (seen >= nextTab) {
            m_tabs->setCurrentIndex((m_tabs->currentIndex() + 1) % m_tabs->count());
            nextTab += TransactionsPerTab;
        }
    }
    return true;
}

void RefreshMemoryTest::autoRefreshKeepsMemoryFlat()
{
    m_window = new MainWindow;
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    m_window->show();
    auto *monitor = child<DeviceMonitor>(m_window, "deviceMonitor");
    m_tabs = child<QTabWidget>(m_window, "tabWidget");
    QVERIFY(child<QAction>(m_window, "actionAutoRefresh")->isChecked());
    // Below what the settings file allows: the passes follow each other as
    // fast as the line serves them.
    monitor->setAutoRefreshDelay(1);

    child<QAction>(m_window, "actionConnect")->trigger();
    QVERIFY(monitor->isConnected());
    child<QLineEdit>(m_window, "scanRangeLineEdit")->setText(QString::number(SlaveId));
    child<QAbstractButton>(m_window, "scanButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(monitor->state(), DeviceMonitor::Refreshing, PassWaitMs);

    qint64 before = 0;
    qint64 after = 0;
    quint64 framesBefore = 0;
    QElapsedTimer measured;
    bool warmedUp = false;
    bool ranThrough = false;
    {
        const QuietTrace quiet;
        // Every tab shown and filled, the allocator's pools and the thread
        // stack cache in their steady state.
        warmedUp = runTransactions(WarmUpTransactions);
        if (warmedUp) {
            before = residentKiB();
            framesBefore = m_bus->framesReceived();
            measured.start();
            ranThrough = runTransactions(MeasuredTransactions);
            after = residentKiB();
        }
    }
    QVERIFY2(warmedUp, "auto-refresh stalled during the warm-up");
    QVERIFY2(ranThrough, "auto-refresh stalled");
    qInfo("%llu transactions in %lld ms; resident memory %lld KiB before, %lld KiB after, "
          "%+lld KiB",
        m_bus->framesReceived() - framesBefore, measured.elapsed(), before, after, after - before);

    QCOMPARE(monitor->state(), DeviceMonitor::Refreshing);
    QVERIFY(before > 0 && after > 0);
#ifdef KORVEL_SANITIZED_BUILD
    QSKIP("A sanitizer's allocator and shadow memory make up the resident memory here; the run "
          "still counts, and in the ASan build the leak check at exit covers it");
#else
    QVERIFY2(after - before < AllowedGrowthKiB,
        qPrintable(QStringLiteral("grew by %1 KiB").arg(after - before)));
#endif
}

QTEST_MAIN(RefreshMemoryTest)
#include "tst_refreshmemory.moc"
