// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "blockchecks.h"
#include "devicedata/checkbackdata.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/panelsettingsset.h"
#include "namedchild.h"
#include "relaybus.h"
#include "settingsfolder.h"
#include "testtimeouts.h"
#include "ui/indicators/numberindicator.h"
#include "ui/indicators/numberindicatoreditor.h"
#include "ui/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <vector>

// The whole program, driven through its window, against a relay on a line that loses a fifth of
// the answers, corrupts the CRC of one in twenty and delays every answer by up to the response
// timeout. Auto-refresh runs on each tab in turn while the configuration, the setpoints and the
// checkback are written now and then. Whatever the line does, every value shown as valid must be
// the relay's, a failed read must leave nothing valid, every write must either land or be
// reported as failed, and the passes must keep coming.
//
// Two windows, each on a line of its own, run side by side to get through the transactions
// sooner; the relay on each line has a different slave ID. KORVEL_SOAK_TRANSACTIONS sets how many
// transactions the relays must see in all (2000 by default).

namespace {

constexpr int ResponseTimeoutMs = 20;
constexpr int AutoRefreshDelayMs = 50;
constexpr int PassesPerRound = 3;
// Far beyond the longest pass with a setpoints write queued: 26 transactions of at most twice the
// response timeout each, and the byte timeout for a frame cut short.
constexpr int PassTimeoutMs = 10000;
constexpr quint64 DefaultTransactions = 2000;
const QList<int> SlaveIds = { 1, 7 };

quint64 soakTransactions()
{
    bool ok = false;
    const quint64 wanted = qEnvironmentVariable("KORVEL_SOAK_TRANSACTIONS").toULongLong(&ok);
    return ok && wanted > 0 ? wanted : DefaultTransactions;
}

bool sameShownValue(const DoubleValue &shown, const DataValue &raw, double step)
{
    return shown.status == raw.status
        && (raw.status == NoData || qFuzzyCompare(1 + shown.value, 1 + double(raw.value) * step));
}

enum class WriteKind { None, Configuration, Setpoints, Checkback };

// One window on its own line, and what the test knows of it.
struct Rig
{
    int slaveId = 0;
    std::unique_ptr<RelayBus> bus;
    MainWindow *window = nullptr;
    quint64 firstFrame = 0;

    int passes = 0;
    QElapsedTimer sinceLastPass;
    QHash<DeviceData *, BlockValues> beforeRead;
    int reads = 0;
    int failedReads = 0;
    int successfulReads = 0;
    int writesLanded = 0;
    int writesFailed = 0;
    int writesSkipped = 0;

    // The write in flight: what it should leave in the relay, and whether it failed.
    WriteKind write = WriteKind::None;
    bool writeDone = true;
    bool writeFailed = false;
    quint16 pendingKt = 0;
    quint16 pendingDelaySteps = 0;
    int checkbacksBefore = 0;

    quint64 transactions() const { return bus->framesReceived() - firstFrame; }
};

} // namespace

class FaultSoakTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void soak();

private:
    void openWindow(Rig &rig);
    void watch(Rig &rig);
    void onBlockRead(Rig &rig, DeviceData *block);
    void onDeviceDataWritten(Rig &rig, DeviceData *block, int slaveId);
    void onPanelSetFinished(Rig &rig, PanelSettingsSet::Outcome outcome, const QString &text);
    void checkStatusBar(const Rig &rig, const QString &name, bool landed, const QString &text);
    void endWrite(Rig &rig, bool landed);
    void problem(const Rig &rig, const QString &what);

    // Processes events until the condition holds; false on time-out, on a problem, or when the
    // passes of a window stop coming.
    bool waitFor(const std::function<bool()> &condition, int timeoutMs);
    bool waitForPasses(int passes);
    void runWrites(WriteKind kind);
    bool startWrite(Rig &rig, bool retry);
    quint64 transactions() const;

    SettingsFolder m_folder;
    std::vector<std::unique_ptr<Rig>> m_rigs;
    std::mt19937 m_random { 20240611 };
    QStringList m_problems;
    QElapsedTimer m_sinceLastTick;
    qint64 m_longestStallMs = 0;
};

void FaultSoakTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(m_folder.isEntered());

    for (int id : SlaveIds) {
        auto rig = std::make_unique<Rig>();
        rig->slaveId = id;
        rig->bus = std::make_unique<RelayBus>(QList<int> { id });
        QString error;
        QVERIFY2(rig->bus->start(&error), qPrintable(error));
        // Still measurements: a value may change only through a write the test made.
        rig->bus->setMeasurementsLive(false);
        rig->bus->setCrashCount(id, 20);
        m_rigs.push_back(std::move(rig));
    }
}

void FaultSoakTest::cleanupTestCase()
{
    for (const auto &rig : m_rigs) {
        if (rig->window)
            rig->window->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_rigs.clear();
}

void FaultSoakTest::problem(const Rig &rig, const QString &what)
{
    if (m_problems.size() < 20)
        m_problems.append(QStringLiteral("relay %1: %2").arg(rig.slaveId).arg(what));
}

quint64 FaultSoakTest::transactions() const
{
    quint64 sum = 0;
    for (const auto &rig : m_rigs)
        sum += rig->transactions();
    return sum;
}

// Each window reads the settings file as it is built: it gets its own line, scan range and
// timing from it.
void FaultSoakTest::openWindow(Rig &rig)
{
    ConnectionSettings connection;
    connection.portName = rig.bus->portPath();
    saveConnectionSettings(connection);
    saveDeviceSettings({ 0, ResponseTimeoutMs });
    savePreferences(
        { QString::number(rig.slaveId), AutoRefreshDelayMs, true, true, int(Qt::TopToolBarArea) });
    rig.window = new MainWindow;
    rig.window->setAttribute(Qt::WA_DeleteOnClose);
    rig.window->show();
}

void FaultSoakTest::watch(Rig &rig)
{
    auto *manager = rig.window->findChild<DeviceDataManager *>();
    QVERIFY(manager);
    rig.sinceLastPass.start();
    connect(manager, &DeviceDataManager::allDeviceDataProcessed, this, [&rig] {
        ++rig.passes;
        rig.sinceLastPass.restart();
    });
    // Connected after the window's own slots, so the status bar already tells of the write.
    connect(child<DeviceMonitor>(rig.window, "deviceMonitor"), &DeviceMonitor::deviceDataWritten,
        this,
        [this, &rig](DeviceData *block, int slaveId) { onDeviceDataWritten(rig, block, slaveId); });
    connect(rig.window->findChild<PanelSettingsSet *>(), &PanelSettingsSet::finished, this,
        [this, &rig](PanelSettingsSet::Outcome outcome, const QString &text) {
            onPanelSetFinished(rig, outcome, text);
        });
    // The window's own blocks: those a panel's Set reads and writes with are its own affair.
    for (DeviceData *block :
        rig.window->findChildren<DeviceData *>(QString(), Qt::FindDirectChildrenOnly)) {
        connect(block, &DeviceData::stateChanged, this,
            [this, &rig, block](DeviceData::State current, DeviceData::State previous) {
                // What the block held before: the reply handlers' values reach this thread
                // only after the read has begun.
                if (current == DeviceData::Reading)
                    rig.beforeRead[block] = blockValues(block);
                if (current == DeviceData::Inactive && previous == DeviceData::Reading)
                    onBlockRead(rig, block);
            });
    }
}

// Runs as soon as the block's read sequence has ended, before the next transaction can start:
// the relay holds what it held while the block was read.
void FaultSoakTest::onBlockRead(Rig &rig, DeviceData *block)
{
    ++rig.reads;
    ++(lastReadSucceeded(block) ? rig.successfulReads : rig.failedReads);

    const QString mismatch = validValueMismatch(block, *rig.bus, rig.slaveId);
    if (!mismatch.isEmpty())
        problem(rig, mismatch);
    // A read already under way when the watch began has no record of before.
    if (rig.beforeRead.contains(block)) {
        const QString status = statusMismatch(rig.beforeRead.value(block), block);
        if (!status.isEmpty())
            problem(rig, status);
    }

    // What the panels show follows the block, status and all.
    if (auto *count = qobject_cast<CrashCountData *>(block)) {
        const DoubleValue shown
            = child<NumberIndicator>(rig.window, "crashCountNumberIndicator")->value();
        if (!sameShownValue(shown, count->crashCount(), 1))
            problem(rig, QStringLiteral("the monitor panel shows another crash count"));
    } else if (auto *configuration = qobject_cast<MeterageConfigurationData *>(block)) {
        const DoubleValue shown
            = child<NumberIndicatorEditor>(rig.window, "currentTransFactorIndicatorEditor")
                  ->value();
        if (!sameShownValue(shown, configuration->configuration().currentTransFactor, 1))
            problem(rig, QStringLiteral("the configuration panel shows another Kt"));
    } else if (auto *setpoints = qobject_cast<SetpointsData *>(block)) {
        const DoubleValue shown
            = child<NumberIndicatorEditor>(rig.window, "mtzReactionDelayIndicatorEditor")->value();
        if (!sameShownValue(shown, setpoints->setpoints().mtzReactionDelay, 0.1))
            problem(rig, QStringLiteral("the setpoints panel shows another MTZ delay"));
    }
}

void FaultSoakTest::onDeviceDataWritten(Rig &rig, DeviceData *block, int slaveId)
{
    // A panel's Set is judged by its end, in onPanelSetFinished().
    if (block == rig.window->findChild<PanelSettingsSet *>()->writingBlock())
        return;
    if (!qobject_cast<CheckbackData *>(block)) {
        problem(
            rig, QStringLiteral("unexpected write of %1").arg(block->metaObject()->className()));
        return;
    }
    if (slaveId != rig.slaveId)
        problem(rig, QStringLiteral("checkback was written to slave %1").arg(slaveId));
    const bool landed = block->isWriteSuccessful();
    checkStatusBar(rig, QStringLiteral("checkback"), landed, QString());
    // A write reported as landed is in the relay.
    if (landed && rig.bus->checkbackCount(slaveId) <= rig.checkbacksBefore)
        problem(rig, QStringLiteral("a checkback reported written never reached the relay"));
    endWrite(rig, landed);
}

void FaultSoakTest::onPanelSetFinished(
    Rig &rig, PanelSettingsSet::Outcome outcome, const QString &text)
{
    const bool configuration = rig.write == WriteKind::Configuration;
    const bool landed = outcome == PanelSettingsSet::Written;
    checkStatusBar(rig,
        configuration ? QStringLiteral("configuration") : QStringLiteral("setpoints"), landed,
        text);
    // A write reported as landed is in the relay.
    const quint16 address = configuration ? 26 : 35;
    const quint16 pending = configuration ? rig.pendingKt : rig.pendingDelaySteps;
    const quint16 held = rig.bus->holdingRegister(rig.slaveId, address);
    if (landed && held != pending)
        problem(rig,
            QStringLiteral("register %1 reported written as %2, the relay holds %3")
                .arg(address)
                .arg(pending)
                .arg(held));
    endWrite(rig, landed);
}

// A failure says so in the status bar; a write that landed says that, or what the relay made of
// it.
void FaultSoakTest::checkStatusBar(
    const Rig &rig, const QString &name, bool landed, const QString &text)
{
    const QString shown = rig.window->statusBar()->currentMessage();
    const QString failed
        = QStringLiteral("Write failed: %1 (Device %2)").arg(name).arg(rig.slaveId);
    const QString written = QStringLiteral("Written: %1 (Device %2)").arg(name).arg(rig.slaveId);
    if (!landed && !shown.startsWith(failed))
        problem(rig, QStringLiteral("a failed %1 write shows \"%2\"").arg(name, shown));
    if (landed && shown != (text.isEmpty() ? written : text))
        problem(rig, QStringLiteral("a %1 write that landed shows \"%2\"").arg(name, shown));
}

void FaultSoakTest::endWrite(Rig &rig, bool landed)
{
    rig.writeFailed = !landed;
    ++(landed ? rig.writesLanded : rig.writesFailed);
    rig.writeDone = true;
}

bool FaultSoakTest::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (!m_problems.isEmpty() || elapsed.hasExpired(timeoutMs))
            return false;
        for (const auto &rig : m_rigs) {
            if (rig->sinceLastPass.hasExpired(PassTimeoutMs)) {
                problem(*rig, QStringLiteral("no pass ended for %1 ms").arg(PassTimeoutMs));
                return false;
            }
        }
        // Not QTest::qWait(), which sleeps between rounds of events and would hold up every
        // transaction's completion.
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_problems.isEmpty();
}

bool FaultSoakTest::waitForPasses(int passes)
{
    QVector<int> until;
    for (const auto &rig : m_rigs)
        until.append(rig->passes + passes);
    return waitFor(
        [this, until] {
            for (size_t i = 0; i < m_rigs.size(); ++i) {
                if (m_rigs[i]->passes < until.at(int(i)))
                    return false;
            }
            return true;
        },
        PassTimeoutMs * passes);
}

// Starts one write as the user would: Edit, a new value, Set; or the checkback button. Only values
// the panel shows as valid are edited, as a careful user would.
bool FaultSoakTest::startWrite(Rig &rig, bool retry)
{
    rig.writeDone = false;
    rig.writeFailed = false;
    if (rig.write == WriteKind::Checkback) {
        rig.checkbacksBefore = rig.bus->checkbackCount(rig.slaveId);
        child<QAbstractButton>(rig.window, "checkbackButton")->click();
        return true;
    }

    const bool configuration = rig.write == WriteKind::Configuration;
    QWidget *panel
        = child<QWidget>(rig.window, configuration ? "configurationWidget" : "setpointsWidget");
    auto *editor = child<NumberIndicatorEditor>(panel,
        configuration ? "currentTransFactorIndicatorEditor" : "mtzReactionDelayIndicatorEditor");
    if (!retry) {
        auto *editButton = child<QAbstractButton>(panel, "editButton");
        if (!waitFor(
                [editor, editButton] {
                    return editor->value().status == Valid && editButton->isEnabled();
                },
                StepWaitMs))
            return false;
        editButton->click();
        auto *spinBox = editor->findChild<QDoubleSpinBox *>();
        if (configuration) {
            rig.pendingKt = quint16(std::uniform_int_distribution<int>(1, 5000)(m_random));
            spinBox->setValue(rig.pendingKt);
        } else {
            rig.pendingDelaySteps = quint16(std::uniform_int_distribution<int>(1, 300)(m_random));
            spinBox->setValue(rig.pendingDelaySteps / 10.0);
        }
    }
    child<QAbstractButton>(panel, "setButton")->click();
    return true;
}

// One write on every window, each tried again twice when it fails and then given up with Cancel.
void FaultSoakTest::runWrites(WriteKind kind)
{
    std::vector<Rig *> pending;
    for (const auto &rig : m_rigs) {
        rig->write = kind;
        pending.push_back(rig.get());
    }
    for (int attempt = 0; attempt < 3 && !pending.empty(); ++attempt) {
        std::vector<Rig *> started;
        for (Rig *rig : pending) {
            if (startWrite(*rig, attempt > 0))
                started.push_back(rig);
            else
                ++rig->writesSkipped;
        }
        if (!waitFor(
                [&started] {
                    return std::all_of(started.begin(), started.end(),
                        [](const Rig *rig) { return rig->writeDone; });
                },
                PassTimeoutMs))
            return;
        pending.clear();
        for (Rig *rig : started) {
            if (rig->writeFailed && kind != WriteKind::Checkback)
                pending.push_back(rig);
        }
    }
    for (Rig *rig : pending) {
        const char *panel
            = kind == WriteKind::Configuration ? "configurationWidget" : "setpointsWidget";
        child<QAbstractButton>(child<QWidget>(rig->window, panel), "cancelButton")->click();
    }
}

void FaultSoakTest::soak()
{
    const quint64 wanted = soakTransactions();

    // Connect and find each relay on a clean line.
    for (const auto &rig : m_rigs) {
        openWindow(*rig);
        auto *monitor = child<DeviceMonitor>(rig->window, "deviceMonitor");
        child<QAction>(rig->window, "actionConnect")->trigger();
        QVERIFY(monitor->isConnected());
        child<QAbstractButton>(rig->window, "scanButton")->click();
        QTRY_COMPARE_WITH_TIMEOUT(monitor->currentDeviceId(), rig->slaveId, PassWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(monitor->state(), DeviceMonitor::Refreshing, PassWaitMs);
        watch(*rig);
    }

    // The event loop must never stall: a slow tick means the GUI froze.
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this,
        [this] { m_longestStallMs = qMax(m_longestStallMs, m_sinceLastTick.restart()); });
    m_sinceLastTick.start();
    ticker.start(10);

    FaultSettings faults;
    faults.dropProbability = 0.2;
    faults.badCrcProbability = 0.05;
    faults.maxDelayMs = ResponseTimeoutMs;
    for (const auto &rig : m_rigs) {
        rig->firstFrame = rig->bus->framesReceived();
        rig->bus->setFaults(faults);
    }

    QElapsedTimer elapsed;
    elapsed.start();
    const char *const tabs[]
        = { "monitorWidget", "configurationWidget", "setpointsWidget", "crashLogWidget" };
    const WriteKind writes[]
        = { WriteKind::Checkback, WriteKind::Configuration, WriteKind::Setpoints, WriteKind::None };
    for (int round = 0; transactions() < wanted && m_problems.isEmpty(); ++round) {
        const int tab = round % 4;
        for (const auto &rig : m_rigs) {
            child<QTabWidget>(rig->window, "tabWidget")
                ->setCurrentWidget(child<QWidget>(rig->window, tabs[tab]));
        }
        if (!waitForPasses(1))
            break;
        if (writes[tab] != WriteKind::None) {
            runWrites(writes[tab]);
        } else {
            for (const auto &rig : m_rigs) {
                auto *refresh = child<QAbstractButton>(rig->window, "refreshButton");
                if (refresh->isEnabled())
                    refresh->click();
            }
        }
        if (!waitForPasses(PassesPerRound))
            break;
        for (const auto &rig : m_rigs) {
            QCOMPARE(child<DeviceMonitor>(rig->window, "deviceMonitor")->state(),
                DeviceMonitor::Refreshing);
        }
    }
    const double seconds = elapsed.elapsed() / 1000.0;
    const quint64 done = transactions();
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(QLatin1Char('\n'))));

    // Once the line is clean again, a pass on each tab makes every value valid again.
    for (const auto &rig : m_rigs)
        rig->bus->setFaults(FaultSettings());
    for (const char *tab : tabs) {
        for (const auto &rig : m_rigs) {
            child<QTabWidget>(rig->window, "tabWidget")
                ->setCurrentWidget(child<QWidget>(rig->window, tab));
        }
        QVERIFY(waitForPasses(2));
    }
    QVector<int> failedBefore;
    for (const auto &rig : m_rigs)
        failedBefore.append(rig->failedReads);
    QVERIFY(waitForPasses(2));
    for (size_t i = 0; i < m_rigs.size(); ++i)
        QCOMPARE(m_rigs[i]->failedReads, failedBefore.at(int(i)));
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(QLatin1Char('\n'))));

    for (const auto &rig : m_rigs) {
        child<QAction>(rig->window, "actionDisconnect")->trigger();
        QVERIFY(!child<DeviceMonitor>(rig->window, "deviceMonitor")->isConnected());
    }
    ticker.stop();
    QVERIFY2(m_longestStallMs < 2000,
        qPrintable(QStringLiteral("the event loop stalled for %1 ms").arg(m_longestStallMs)));

    // Past QtTest's message limit, which the program's debug lines use up long before.
    std::fprintf(stderr,
        "fault soak: %llu transactions in %.1f s, longest event loop stall %lld ms\n", done,
        seconds, m_longestStallMs);
    for (const auto &rig : m_rigs) {
        std::fprintf(stderr,
            "  relay %d: %llu transactions, %d passes, %d block reads (%d failed, %d checked "
            "value by value), writes: %d landed, %d reported failed, %d not tried\n",
            rig->slaveId, rig->transactions(), rig->passes, rig->reads, rig->failedReads,
            rig->successfulReads, rig->writesLanded, rig->writesFailed, rig->writesSkipped);
        QVERIFY(rig->failedReads > 0);
        QVERIFY(rig->writesLanded > 0);
        QVERIFY(rig->writesFailed > 0);
    }
    QVERIFY(done >= wanted);
}

QTEST_MAIN(FaultSoakTest)
#include "tst_faultsoak.moc"
